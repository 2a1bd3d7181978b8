#include "access/crypto/CryptoApiRc4Decryptor.h"

#include "access/crypto/KeyDerivation.h"

namespace velmora::access::crypto {

namespace {
constexpr std::uint8_t kVerifierBlock[4] = {0, 0, 0, 0};
}

CryptoApiRc4Decryptor::CryptoApiRc4Decryptor(const CryptoApiEncryption& encryption,
                                             ByteView encodingKey, ByteView passwordUtf16)
    : keyBits_(encryption.keyBits), encodingKey_(encodingKey.begin(), encodingKey.end()) {
    baseHash_ = sha1_.digest({encryption.salt, passwordUtf16});
}

std::unique_ptr<CryptoApiRc4Decryptor> CryptoApiRc4Decryptor::unlock(
    const CryptoApiEncryption& encryption, ByteView encodingKey, ByteView passwordUtf16) {
    std::unique_ptr<CryptoApiRc4Decryptor> decryptor(
        new CryptoApiRc4Decryptor(encryption, encodingKey, passwordUtf16));
    if (!decryptor->passwordVerified(encryption)) throw WrongPassword();
    return decryptor;
}

bool CryptoApiRc4Decryptor::passwordVerified(const CryptoApiEncryption& encryption) {
    const SecretBytes key = cryptoApiRc4Key(sha1_, baseHash_, kVerifierBlock, keyBits_);
    SecretBytes verifier(encryption.encryptedVerifier.begin(), encryption.encryptedVerifier.end());
    SecretBytes verifierHash(encryption.encryptedVerifierHash.begin(),
                             encryption.encryptedVerifierHash.end());
    // The verifier and its hash are one RC4 stream.
    rc4_.applyContinuous(key, {verifier, verifierHash});
    const SecretBytes expected = sha1_.digest({verifier});
    return sameBytes(ByteView(expected).first(encryption.verifierHashSize),
                     ByteView(verifierHash).first(encryption.verifierHashSize));
}

void CryptoApiRc4Decryptor::decryptPage(MutableBytes page, std::uint32_t pageNumber) {
    const SecretBytes key =
        cryptoApiRc4Key(sha1_, baseHash_, pageBlockKey(encodingKey_, pageNumber), keyBits_);
    rc4_.apply(key, page);
}

}  // namespace velmora::access::crypto
