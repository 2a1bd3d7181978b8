#pragma once
// The encryption of an .accdb file. Access stores an Office document cryptography
// "EncryptionInfo" (version, flags, then a binary header or an XML descriptor) in the
// header page at 0x299, prefixed by its 16-bit length.

#include <memory>

#include "access/crypto/Bytes.h"
#include "access/crypto/PageDecryptor.h"

namespace velmora::access::crypto {

class HeaderPage;

// Checks the password and returns the decryptor of the pages. Throws WrongPassword, or
// UnreadableProtection naming a scheme that cannot be read or a damaged header.
// Supported: agile (4.4), standard AES and RC4 CryptoAPI (2.2/3.2/4.2), and the
// non-standard AES of Access 2007 files encrypted with compatibility mode off.
std::unique_ptr<PageDecryptor> unlockOfficeEncryption(const HeaderPage& header,
                                                      ByteView passwordUtf16);

}  // namespace velmora::access::crypto
