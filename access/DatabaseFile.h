#pragma once
// What the connection string says about the database (its file and password), and the
// checks on that file that come before any byte of it is parsed, worded as Access words
// them.

#include <string>

#include "access/crypto/Bytes.h"
#include "dataaccess/ConnectionString.h"

namespace velmora::access {

struct DatabaseSettings {
    std::string path;      // "Data Source", as given
    std::string password;  // "Jet OLEDB:Database Password", possibly empty

    DatabaseSettings() = default;
    DatabaseSettings(const DatabaseSettings&) = default;
    DatabaseSettings& operator=(const DatabaseSettings&) = default;
    // The password's characters do not outlive the settings in freed memory.
    ~DatabaseSettings() { crypto::wipeMemory(password.data(), password.size()); }
};

DatabaseSettings databaseSettingsFrom(const db::ConnectionString& settings);

// Throws db::DbError when the path is empty, names nothing, a folder or another kind of
// non-file, or a file that is empty or cannot be opened for reading.
void checkDatabaseFile(const std::string& path);

}  // namespace velmora::access
