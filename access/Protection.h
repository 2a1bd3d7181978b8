#pragma once
// Everything that stands between an Access file and libmdb: the check that the file
// is an Access database at all, its database password, and the decryption of an
// encrypted .accdb. The result is what libmdb opens: the file itself, or its
// decrypted pages held in memory (so no plaintext copy ever lands on disk).

#include <string>

#include "access/crypto/Bytes.h"

namespace velmora::access {

struct DatabaseImage {
    std::string path;               // open this file directly when `decrypted` is empty
    crypto::SecretBytes decrypted;  // otherwise libmdb reads these bytes; wiped when freed
};

// Throws db::DbError with a clear description: not an Access database, a wrong
// password ("Not a valid password."), or an encryption scheme that cannot be read.
// Never puts the password into a message.
DatabaseImage prepareDatabase(const std::string& path, const std::string& password);

}  // namespace velmora::access
