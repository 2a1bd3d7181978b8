#include "access/crypto/CryptoApiEncryption.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

namespace velmora::access::crypto {

namespace {

constexpr std::uint32_t kAlgorithmRc4 = 0x6801;
constexpr std::uint32_t kAlgorithmAes128 = 0x660e;
constexpr std::uint32_t kAlgorithmAes192 = 0x660f;
constexpr std::uint32_t kAlgorithmAes256 = 0x6610;
constexpr std::uint32_t kHashSha1 = 0x8004;

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

// The provider name decides the default RC4 key size: 40 bits for the "Base" providers
// (and when no provider is named), 128 bits for the others.
bool isBaseProvider(ByteView utf16Name) {
    std::string name = " ";
    for (std::size_t i = 0; i + 1 < utf16Name.size(); i += 2) {
        const std::uint16_t unit = readLe16(utf16Name, i);
        if (unit == 0) break;
        name += unit < 0x80 ? static_cast<char>(std::tolower(unit)) : '?';
    }
    name += ' ';
    return name == "  " || name.find(" base ") != std::string::npos;
}

}  // namespace

CryptoApiEncryption readCryptoApiEncryption(ByteReader& reader, std::uint32_t flags) {
    CryptoApiEncryption result;
    const std::uint32_t headerSize = reader.u32();
    ByteReader header(reader.bytes(headerSize), "encryption header");
    result.flags = header.u32();
    header.u32();  // size of extra data, always 0
    const std::uint32_t algorithm = header.u32();
    const std::uint32_t hash = header.u32();
    std::uint32_t keyBits = header.u32();
    header.u32();  // provider type
    header.u32();  // reserved
    header.u32();  // reserved
    const ByteView providerName = header.rest();

    if ((flags | result.flags) & CryptoApiEncryption::kFlagExternal)
        throw UnreadableProtection(
            "The database is encrypted by an external encryption provider, which cannot be read.");
    switch (algorithm) {
        case 0:
            result.algorithm = (result.flags & CryptoApiEncryption::kFlagAes)
                                   ? CryptoApiEncryption::Algorithm::kAes
                                   : CryptoApiEncryption::Algorithm::kRc4;
            break;
        case kAlgorithmRc4:
            result.algorithm = CryptoApiEncryption::Algorithm::kRc4;
            break;
        case kAlgorithmAes128:
        case kAlgorithmAes192:
        case kAlgorithmAes256:
            result.algorithm = CryptoApiEncryption::Algorithm::kAes;
            break;
        default:
            throw UnreadableProtection("The database is encrypted with the CryptoAPI algorithm " +
                                       hex(algorithm) + ", which cannot be read.");
    }
    if (hash != 0 && hash != kHashSha1)
        throw UnreadableProtection("The database is encrypted with the CryptoAPI hash algorithm " +
                                   hex(hash) + ", which cannot be read.");
    if (keyBits == 0) {
        if (result.algorithm == CryptoApiEncryption::Algorithm::kRc4)
            keyBits = isBaseProvider(providerName) ? 40 : 128;
        else
            keyBits = algorithm == kAlgorithmAes192   ? 192
                      : algorithm == kAlgorithmAes256 ? 256
                                                      : 128;
    }
    const bool validRc4 = keyBits >= 40 && keyBits <= 128;
    const bool validAes = keyBits == 128 || keyBits == 192 || keyBits == 256;
    if (keyBits % 8 != 0 ||
        !(result.algorithm == CryptoApiEncryption::Algorithm::kRc4 ? validRc4 : validAes))
        throw UnreadableProtection("The database encryption uses a key of " +
                                   std::to_string(keyBits) + " bits, which cannot be read.");
    result.keyBits = keyBits;

    const std::uint32_t saltSize = reader.u32();
    const ByteView salt = reader.bytes(saltSize);
    result.salt.assign(salt.begin(), salt.end());
    const ByteView verifier = reader.bytes(16);
    result.encryptedVerifier.assign(verifier.begin(), verifier.end());
    result.verifierHashSize = reader.u32();
    // RC4 encrypts the 20-byte SHA-1 as it is; AES pads it to two blocks.
    const ByteView verifierHash =
        reader.bytes(result.algorithm == CryptoApiEncryption::Algorithm::kRc4 ? 20 : 32);
    result.encryptedVerifierHash.assign(verifierHash.begin(), verifierHash.end());
    if (result.verifierHashSize == 0 || result.verifierHashSize > 20)
        throw UnreadableProtection("The password verifier of the database is damaged.");
    return result;
}

}  // namespace velmora::access::crypto
