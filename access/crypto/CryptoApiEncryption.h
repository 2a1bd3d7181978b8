#pragma once
// The binary encryption header and password verifier of the CryptoAPI-era schemes
// (RC4 CryptoAPI and standard AES), as Access 2007 stores them after the version in
// the header page.

#include <cstdint>
#include <vector>

#include "access/crypto/ByteReader.h"

namespace velmora::access::crypto {

struct CryptoApiEncryption {
    enum class Algorithm { kRc4, kAes };

    static constexpr std::uint32_t kFlagCryptoApi = 0x04;
    static constexpr std::uint32_t kFlagExternal = 0x10;
    static constexpr std::uint32_t kFlagAes = 0x20;

    std::uint32_t flags = 0;
    Algorithm algorithm = Algorithm::kRc4;
    std::size_t keyBits = 0;  // the default of the algorithm when the header gives none

    std::vector<std::uint8_t> salt;
    std::vector<std::uint8_t> encryptedVerifier;
    std::uint32_t verifierHashSize = 0;
    std::vector<std::uint8_t> encryptedVerifierHash;
};

// Reads header size, header and verifier; `reader` stands just after the flags.
// Throws UnreadableProtection for a damaged header or an algorithm other than RC4/AES
// with SHA-1.
CryptoApiEncryption readCryptoApiEncryption(ByteReader& reader, std::uint32_t flags);

}  // namespace velmora::access::crypto
