#pragma once
// CryptoAPI AES encryption: every page is AES-ECB-encrypted with a key derived from the
// spun password hash and the page's block key. Standard encryption spins the hash
// 50,000 times; Access 2007 databases encrypted with AES while Office's compatibility
// mode was off ("non-standard" AES) do not spin it at all.

#include <memory>

#include "access/crypto/CryptoApiEncryption.h"
#include "access/crypto/OpenSsl.h"
#include "access/crypto/PageDecryptor.h"

namespace velmora::access::crypto {

class StandardAesDecryptor final : public PageDecryptor {
  public:
    static constexpr std::uint32_t kStandardSpinCount = 50000;

    // Throws WrongPassword when `passwordUtf16` does not match the verifier.
    static std::unique_ptr<StandardAesDecryptor> unlock(const CryptoApiEncryption& encryption,
                                                        ByteView encodingKey,
                                                        ByteView passwordUtf16,
                                                        std::uint32_t spinCount);
    void decryptPage(MutableBytes page, std::uint32_t pageNumber) override;

  private:
    StandardAesDecryptor(const CryptoApiEncryption& encryption, ByteView encodingKey,
                         ByteView passwordUtf16, std::uint32_t spinCount);
    bool passwordVerified(const CryptoApiEncryption& encryption);

    Hasher sha1_{"SHA1"};
    AesDecryptor aes_;
    SecretBytes spunHash_;
    SecretBytes encodingKey_;
};

}  // namespace velmora::access::crypto
