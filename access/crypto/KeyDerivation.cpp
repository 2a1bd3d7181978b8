#include "access/crypto/KeyDerivation.h"

#include "access/crypto/CryptoErrors.h"
#include "access/crypto/OpenSsl.h"

namespace velmora::access::crypto {

SecretBytes pageBlockKey(ByteView encodingKey, std::uint32_t pageNumber) {
    SecretBytes block(encodingKey.begin(), encodingKey.end());
    for (std::size_t i = 0; i < block.size() && i < 4; ++i)
        block[i] ^= static_cast<std::uint8_t>(pageNumber >> (8 * i));
    return block;
}

SecretBytes agileKey(Hasher& hasher, ByteView spunHash, ByteView blockKey, std::size_t keyBytes) {
    return fitToLength(hasher.digest({spunHash, blockKey}), keyBytes, 0x36);
}

SecretBytes agileIv(Hasher& hasher, ByteView salt, ByteView blockKey, std::size_t blockSize) {
    return fitToLength(hasher.digest({salt, blockKey}), blockSize, 0x36);
}

SecretBytes standardAesKey(Hasher& sha1, ByteView spunHash, ByteView blockKey,
                           std::size_t keyBytes) {
    const SecretBytes final = sha1.digest({spunHash, blockKey});
    SecretBytes inner(64, 0x36);
    SecretBytes outer(64, 0x5c);
    for (std::size_t i = 0; i < final.size() && i < 64; ++i) {
        inner[i] ^= final[i];
        outer[i] ^= final[i];
    }
    SecretBytes key = sha1.digest({inner});
    const SecretBytes second = sha1.digest({outer});
    key.insert(key.end(), second.begin(), second.end());
    if (keyBytes > key.size())
        throw UnreadableProtection("The encryption key size is not supported.");
    key.resize(keyBytes);
    return key;
}

SecretBytes cryptoApiRc4Key(Hasher& sha1, ByteView baseHash, ByteView blockKey,
                            std::size_t keyBits) {
    const std::size_t keyBytes = keyBits / 8;
    if (keyBytes > sha1.size())
        throw UnreadableProtection("The encryption key size is not supported.");
    SecretBytes key = sha1.digest({baseHash, blockKey});
    key.resize(keyBytes);
    if (keyBits == 40) key.resize(16, 0);
    return key;
}

}  // namespace velmora::access::crypto
