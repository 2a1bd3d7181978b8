#pragma once
// RC4 CryptoAPI encryption (Access 2007's default, 40 or 128-bit keys): every page is
// RC4-encrypted with SHA-1(SHA-1(salt + password) + block key).

#include <memory>

#include "access/crypto/CryptoApiEncryption.h"
#include "access/crypto/OpenSsl.h"
#include "access/crypto/PageDecryptor.h"

namespace velmora::access::crypto {

class CryptoApiRc4Decryptor final : public PageDecryptor {
  public:
    // Throws WrongPassword when `passwordUtf16` does not match the verifier.
    static std::unique_ptr<CryptoApiRc4Decryptor> unlock(const CryptoApiEncryption& encryption,
                                                         ByteView encodingKey,
                                                         ByteView passwordUtf16);
    void decryptPage(MutableBytes page, std::uint32_t pageNumber) override;

  private:
    CryptoApiRc4Decryptor(const CryptoApiEncryption& encryption, ByteView encodingKey,
                          ByteView passwordUtf16);
    bool passwordVerified(const CryptoApiEncryption& encryption);

    std::size_t keyBits_;
    Hasher sha1_{"SHA1"};
    Rc4 rc4_;
    SecretBytes baseHash_;
    SecretBytes encodingKey_;
};

}  // namespace velmora::access::crypto
