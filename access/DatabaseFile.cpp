#include "access/DatabaseFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "dataaccess/DbError.h"

namespace velmora::access {

namespace {
[[noreturn]] void fail(const std::string& description) {
    throw db::DbError(db::errc::kProviderFailure, description);
}
}  // namespace

DatabaseSettings databaseSettingsFrom(const db::ConnectionString& settings) {
    DatabaseSettings database;
    database.path = settings.value("Data Source");
    database.password = settings.value(db::kPasswordKey);
    return database;
}

void checkDatabaseFile(const std::string& path) {
    if (path.empty()) fail("Could not find file ''. The connection string names no database file.");
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) fail("Could not find file '" + path + "'.");
        fail("The database file '" + path + "' cannot be opened: " + std::strerror(errno) + ".");
    }
    if (S_ISDIR(info.st_mode)) fail("'" + path + "' is a folder, not an Access database file.");
    if (!S_ISREG(info.st_mode))
        fail("'" + path + "' is not a file, so it is not an Access database.");
    if (info.st_size == 0)
        fail("Unrecognized database format '" + path + "': the file is empty (0 bytes).");
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail("The database file '" + path + "' cannot be opened: " + std::strerror(errno) + ".");
    close(fd);
}

}  // namespace velmora::access
