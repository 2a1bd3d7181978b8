#include "access/crypto/StandardAesDecryptor.h"

#include "access/crypto/KeyDerivation.h"

namespace velmora::access::crypto {

namespace {
constexpr std::uint8_t kVerifierBlock[4] = {0, 0, 0, 0};
}

StandardAesDecryptor::StandardAesDecryptor(const CryptoApiEncryption& encryption,
                                           ByteView encodingKey, ByteView passwordUtf16,
                                           std::uint32_t spinCount)
    : aes_(encryption.keyBits / 8, Chaining::kEcb),
      encodingKey_(encodingKey.begin(), encodingKey.end()) {
    spunHash_ = sha1_.iterate(sha1_.digest({encryption.salt, passwordUtf16}), spinCount);
}

std::unique_ptr<StandardAesDecryptor> StandardAesDecryptor::unlock(
    const CryptoApiEncryption& encryption, ByteView encodingKey, ByteView passwordUtf16,
    std::uint32_t spinCount) {
    std::unique_ptr<StandardAesDecryptor> decryptor(
        new StandardAesDecryptor(encryption, encodingKey, passwordUtf16, spinCount));
    if (!decryptor->passwordVerified(encryption)) throw WrongPassword();
    return decryptor;
}

bool StandardAesDecryptor::passwordVerified(const CryptoApiEncryption& encryption) {
    aes_.setKey(standardAesKey(sha1_, spunHash_, kVerifierBlock, aes_.keySize()));
    SecretBytes verifier(encryption.encryptedVerifier.begin(), encryption.encryptedVerifier.end());
    SecretBytes verifierHash(encryption.encryptedVerifierHash.begin(),
                             encryption.encryptedVerifierHash.end());
    aes_.decrypt({}, verifier);
    aes_.decrypt({}, verifierHash);
    const SecretBytes expected = sha1_.digest({verifier});
    return sameBytes(ByteView(expected).first(encryption.verifierHashSize),
                     ByteView(verifierHash).first(encryption.verifierHashSize));
}

void StandardAesDecryptor::decryptPage(MutableBytes page, std::uint32_t pageNumber) {
    aes_.setKey(
        standardAesKey(sha1_, spunHash_, pageBlockKey(encodingKey_, pageNumber), aes_.keySize()));
    aes_.decrypt({}, page);
}

}  // namespace velmora::access::crypto
