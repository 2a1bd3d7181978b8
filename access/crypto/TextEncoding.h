#pragma once
// Passwords in the form the database stores or hashes them: UTF-16LE bytes.

#include <optional>
#include <string_view>

#include "access/crypto/Bytes.h"

namespace velmora::access::crypto {

// std::nullopt when `utf8` is not well-formed UTF-8.
std::optional<SecretBytes> utf16leFromUtf8(std::string_view utf8);

// Jet3 keeps its password in the database's code page, Windows-1252 for Western files.
SecretBytes utf16leFromWindows1252(ByteView text);

}  // namespace velmora::access::crypto
