#pragma once
// Office agile encryption (Access 2010 and later): the page key is a random key stored
// encrypted with a key spun from the password (100,000 SHA-512 rounds by default); each
// page is AES-encrypted with that key and an IV of H(salt + block key).

#include <memory>

#include "access/crypto/AgileDescriptor.h"
#include "access/crypto/OpenSsl.h"
#include "access/crypto/PageDecryptor.h"

namespace velmora::access::crypto {

class AgileDecryptor final : public PageDecryptor {
  public:
    // Throws WrongPassword when `passwordUtf16` does not match the verifier, and
    // UnreadableProtection for a cipher other than AES in CBC or CFB mode.
    static std::unique_ptr<AgileDecryptor> unlock(const AgileDescriptor& descriptor,
                                                  ByteView encodingKey, ByteView passwordUtf16);
    void decryptPage(MutableBytes page, std::uint32_t pageNumber) override;

  private:
    AgileDecryptor(const AgileCipherParameters& keyData, ByteView encodingKey, ByteView pageKey);

    Hasher hasher_;
    AesDecryptor aes_;
    std::vector<std::uint8_t> salt_;
    std::size_t blockSize_;
    SecretBytes encodingKey_;
};

}  // namespace velmora::access::crypto
