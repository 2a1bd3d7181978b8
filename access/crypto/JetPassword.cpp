#include "access/crypto/JetPassword.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "access/crypto/HeaderPage.h"
#include "access/crypto/TextEncoding.h"

namespace velmora::access::crypto {

namespace {

constexpr std::size_t kJet3PasswordSize = 20;
constexpr std::size_t kJet4PasswordSize = 40;

// Jet4 XORs the password with the whole-day part of the creation date (a Double at
// 0x72), as a little-endian 32-bit number repeated over the field.
std::uint32_t creationDateMask(const HeaderPage& header) {
    double date;
    std::memcpy(&date, header.bytes().data() + HeaderPage::kCreationDateOffset, sizeof date);
    if (!std::isfinite(date) || date < std::numeric_limits<std::int32_t>::min() ||
        date >= static_cast<double>(std::numeric_limits<std::int32_t>::max()) + 1)
        return 0;  // no real date: nothing sensible to unmask with
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::floor(date)));
}

// The stored password as UTF-16LE, empty when the file has none.
SecretBytes storedJetPassword(const HeaderPage& header) {
    const ByteView page = header.bytes();
    if (header.isJet3()) {
        ByteView field = page.subspan(HeaderPage::kPasswordOffset, kJet3PasswordSize);
        std::size_t length = 0;
        while (length < field.size() && field[length] != 0) ++length;
        return utf16leFromWindows1252(field.first(length));
    }
    SecretBytes field(page.begin() + HeaderPage::kPasswordOffset,
                      page.begin() + HeaderPage::kPasswordOffset + kJet4PasswordSize);
    const std::uint32_t mask = creationDateMask(header);
    for (std::size_t i = 0; i < field.size(); ++i)
        field[i] ^= static_cast<std::uint8_t>(mask >> (8 * (i % 4)));
    std::size_t length = 0;  // in bytes, up to the first NUL character
    while (length + 1 < field.size() && (field[length] != 0 || field[length + 1] != 0)) length += 2;
    field.resize(length);
    return field;
}

}  // namespace

bool jetPasswordMatches(const HeaderPage& header, ByteView givenUtf16) {
    const SecretBytes stored = storedJetPassword(header);
    return stored.empty() || sameBytes(stored, givenUtf16);
}

}  // namespace velmora::access::crypto
