#include "access/crypto/AgileDecryptor.h"

#include "access/crypto/CryptoErrors.h"
#include "access/crypto/KeyDerivation.h"

namespace velmora::access::crypto {

namespace {

// Block keys that tell the three secrets of the password key encryptor apart.
constexpr std::uint8_t kVerifierInputBlock[] = {0xfe, 0xa7, 0xd2, 0x76, 0x3b, 0x4b, 0x9e, 0x79};
constexpr std::uint8_t kVerifierHashBlock[] = {0xd7, 0xaa, 0x0f, 0x6d, 0x30, 0x61, 0x34, 0x4e};
constexpr std::uint8_t kKeyValueBlock[] = {0x14, 0x6e, 0x0b, 0xe7, 0xab, 0xac, 0xd0, 0xd6};

Chaining chainingOf(const AgileCipherParameters& parameters) {
    if (parameters.cipherAlgorithm != "AES")
        throw UnreadableProtection("The database is encrypted with agile encryption using the " +
                                   parameters.cipherAlgorithm + " cipher, which cannot be read.");
    if (parameters.blockSize != AesDecryptor::kBlockSize)
        throw UnreadableProtection(
            "The agile encryption descriptor of the database gives an AES block size of " +
            std::to_string(parameters.blockSize) + ".");
    if (parameters.cipherChaining == "ChainingModeCBC") return Chaining::kCbc;
    if (parameters.cipherChaining == "ChainingModeCFB") return Chaining::kCfb8;
    throw UnreadableProtection("The database is encrypted with agile encryption in " +
                               parameters.cipherChaining + " mode, which cannot be read.");
}

void checkHashSize(const Hasher& hasher, const AgileCipherParameters& parameters) {
    if (hasher.size() != parameters.hashSize)
        throw UnreadableProtection(
            "The agile encryption descriptor of the database gives a hash size that does "
            "not match " +
            parameters.hashAlgorithm + ".");
}

}  // namespace

AgileDecryptor::AgileDecryptor(const AgileCipherParameters& keyData, ByteView encodingKey,
                               ByteView pageKey)
    : hasher_(keyData.hashAlgorithm),
      aes_(keyData.keyBits / 8, chainingOf(keyData)),
      salt_(keyData.salt),
      blockSize_(keyData.blockSize),
      encodingKey_(encodingKey.begin(), encodingKey.end()) {
    checkHashSize(hasher_, keyData);
    aes_.setKey(pageKey);
}

std::unique_ptr<AgileDecryptor> AgileDecryptor::unlock(const AgileDescriptor& descriptor,
                                                       ByteView encodingKey,
                                                       ByteView passwordUtf16) {
    const AgilePasswordKey& encryptor = descriptor.passwordKey;
    Hasher hasher(encryptor.hashAlgorithm);
    checkHashSize(hasher, encryptor);
    AesDecryptor aes(encryptor.keyBits / 8, chainingOf(encryptor));
    const SecretBytes iv = fitToLength(encryptor.salt, encryptor.blockSize, 0x36);

    // The spun hash is the slow part and is the same for all three secrets.
    const SecretBytes spun =
        hasher.iterate(hasher.digest({encryptor.salt, passwordUtf16}), encryptor.spinCount);
    auto decryptSecret = [&](ByteView block, const std::vector<std::uint8_t>& encrypted) {
        aes.setKey(agileKey(hasher, spun, block, aes.keySize()));
        SecretBytes secret(encrypted.begin(), encrypted.end());
        aes.decrypt(iv, secret);
        return secret;
    };

    const SecretBytes verifierInput =
        decryptSecret(kVerifierInputBlock, encryptor.encryptedVerifierHashInput);
    const SecretBytes verifierHash =
        decryptSecret(kVerifierHashBlock, encryptor.encryptedVerifierHashValue);
    if (verifierInput.size() < encryptor.salt.size() || verifierHash.size() < encryptor.hashSize)
        throw UnreadableProtection("The password verifier of the database is damaged.");
    const SecretBytes expected =
        hasher.digest({ByteView(verifierInput).first(encryptor.salt.size())});
    if (!sameBytes(expected, ByteView(verifierHash).first(encryptor.hashSize)))
        throw WrongPassword();

    SecretBytes pageKey = decryptSecret(kKeyValueBlock, encryptor.encryptedKeyValue);
    const std::size_t pageKeySize = descriptor.keyData.keyBits / 8;
    if (pageKey.size() < pageKeySize)
        throw UnreadableProtection("The encrypted page key of the database is damaged.");
    pageKey.resize(pageKeySize);
    return std::unique_ptr<AgileDecryptor>(
        new AgileDecryptor(descriptor.keyData, encodingKey, pageKey));
}

void AgileDecryptor::decryptPage(MutableBytes page, std::uint32_t pageNumber) {
    aes_.decrypt(agileIv(hasher_, salt_, pageBlockKey(encodingKey_, pageNumber), blockSize_), page);
}

}  // namespace velmora::access::crypto
