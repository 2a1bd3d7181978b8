#include "access/crypto/OfficeEncryption.h"

#include <string>

#include "access/crypto/AgileDecryptor.h"
#include "access/crypto/ByteReader.h"
#include "access/crypto/CryptoApiEncryption.h"
#include "access/crypto/CryptoApiRc4Decryptor.h"
#include "access/crypto/HeaderPage.h"
#include "access/crypto/StandardAesDecryptor.h"

namespace velmora::access::crypto {

namespace {

constexpr std::size_t kEncryptionInfoOffset = 0x299;

[[noreturn]] void unreadable(const std::string& scheme, std::uint16_t major, std::uint16_t minor) {
    throw UnreadableProtection("The database is encrypted with " + scheme + " (version " +
                               std::to_string(major) + "." + std::to_string(minor) +
                               "), which cannot be read.");
}

}  // namespace

std::unique_ptr<PageDecryptor> unlockOfficeEncryption(const HeaderPage& header,
                                                      ByteView passwordUtf16) {
    ByteReader page(header.bytes().subspan(kEncryptionInfoOffset), "encryption header");
    const std::uint16_t length = page.u16();
    ByteReader info(page.bytes(length), "encryption header");
    const std::uint16_t major = info.u16();
    const std::uint16_t minor = info.u16();

    if (major == 4 && minor == 4) {
        if (info.u32() != 0x40)
            throw UnreadableProtection("The encryption header of the database is damaged.");
        const ByteView xml = info.rest();
        const AgileDescriptor descriptor = parseAgileDescriptor(
            std::string_view(reinterpret_cast<const char*>(xml.data()), xml.size()));
        return AgileDecryptor::unlock(descriptor, header.encodingKey(), passwordUtf16);
    }
    if (minor == 2 && major >= 2 && major <= 4) {
        const std::uint32_t flags = info.u32();
        if (!(flags & CryptoApiEncryption::kFlagCryptoApi))
            unreadable("an unknown Office encryption", major, minor);
        const CryptoApiEncryption encryption = readCryptoApiEncryption(info, flags);
        if (encryption.algorithm == CryptoApiEncryption::Algorithm::kRc4)
            return CryptoApiRc4Decryptor::unlock(encryption, header.encodingKey(), passwordUtf16);
        // AES without the AES flag is what Access 2007 writes with compatibility mode off:
        // the same key derivation without the spin.
        const bool standard = (flags & CryptoApiEncryption::kFlagAes) != 0;
        return StandardAesDecryptor::unlock(
            encryption, header.encodingKey(), passwordUtf16,
            standard ? StandardAesDecryptor::kStandardSpinCount : 0);
    }
    if (minor == 3 && (major == 3 || major == 4))
        unreadable("Office extensible encryption", major, minor);
    if (major == 1 && minor == 1) unreadable("Office binary RC4 encryption", major, minor);
    unreadable("an unknown Office encryption", major, minor);
}

}  // namespace velmora::access::crypto
