#include "access/crypto/TextEncoding.h"

#include <cstdint>

#include "common/text/CodePageTables.h"
#include "common/text/Utf8.h"

namespace velmora::access::crypto {

namespace {

void appendUnit(SecretBytes& out, std::uint32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

void appendCodePoint(SecretBytes& out, std::uint32_t cp) {
    if (cp < 0x10000) {
        appendUnit(out, cp);
    } else {
        cp -= 0x10000;
        appendUnit(out, 0xd800 + (cp >> 10));
        appendUnit(out, 0xdc00 + (cp & 0x3ff));
    }
}

}  // namespace

std::optional<SecretBytes> utf16leFromUtf8(std::string_view utf8) {
    SecretBytes out;
    out.reserve(utf8.size() * 2);
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp;
        if (!text::nextCodePoint(utf8, i, cp)) return std::nullopt;
        appendCodePoint(out, cp);
    }
    return out;
}

SecretBytes utf16leFromWindows1252(ByteView text) {
    SecretBytes out;
    out.reserve(text.size() * 2);
    for (std::uint8_t byte : text) appendUnit(out, text::unicodeOf(text::kCp1252, byte));
    return out;
}

}  // namespace velmora::access::crypto
