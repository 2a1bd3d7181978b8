#pragma once
// The XML descriptor of Office agile encryption: how the pages are encrypted (keyData)
// and how the page key is itself encrypted with the password (the password key
// encryptor).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::access::crypto {

struct AgileCipherParameters {
    std::vector<std::uint8_t> salt;
    std::size_t blockSize = 0;
    std::size_t keyBits = 0;
    std::size_t hashSize = 0;
    std::string cipherAlgorithm;  // "AES", ...
    std::string cipherChaining;   // "ChainingModeCBC" or "ChainingModeCFB"
    std::string hashAlgorithm;    // "SHA512", ...
};

struct AgilePasswordKey : AgileCipherParameters {
    std::uint32_t spinCount = 0;
    std::vector<std::uint8_t> encryptedVerifierHashInput;
    std::vector<std::uint8_t> encryptedVerifierHashValue;
    std::vector<std::uint8_t> encryptedKeyValue;
};

struct AgileDescriptor {
    AgileCipherParameters keyData;
    AgilePasswordKey passwordKey;
};

// Throws UnreadableProtection for malformed XML, missing attributes, or a descriptor
// without a password key encryptor (a certificate-only file).
AgileDescriptor parseAgileDescriptor(std::string_view xml);

}  // namespace velmora::access::crypto
