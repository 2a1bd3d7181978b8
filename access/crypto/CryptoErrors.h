#pragma once
// What the decryption code reports. Protection.cpp turns both into the provider's
// DbError; neither message ever holds the password.

#include <stdexcept>
#include <string>

namespace velmora::access::crypto {

// The password does not open the database.
class WrongPassword : public std::runtime_error {
  public:
    WrongPassword() : std::runtime_error("Not a valid password.") {}
};

// The protection of the file is damaged or uses a scheme this program cannot read; the
// message names the problem (and the scheme).
class UnreadableProtection : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace velmora::access::crypto
