#include "TextEncoding.h"

#include <cstdint>

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

// Windows-1252 differs from Latin-1 only in 0x80..0x9f; 0 marks the five unassigned bytes,
// which Windows maps to the same C1 control code.
constexpr std::uint16_t kWindows1252High[32] = {
    0x20ac, 0,      0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017d, 0,      0,      0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0,      0x017e, 0x0178};

}  // namespace

std::optional<SecretBytes> utf16leFromUtf8(std::string_view utf8) {
    SecretBytes out;
    out.reserve(utf8.size() * 2);
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        std::size_t length;
        std::uint32_t cp;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xe0) == 0xc0) {
            length = 2;
            cp = lead & 0x1f;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3;
            cp = lead & 0x0f;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + length > utf8.size()) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(utf8[i + k]);
            if ((next & 0xc0) != 0x80) return std::nullopt;
            cp = cp << 6 | (next & 0x3f);
        }
        constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[length] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
            return std::nullopt;  // overlong forms and surrogates are not UTF-8
        appendCodePoint(out, cp);
        i += length;
    }
    return out;
}

SecretBytes utf16leFromWindows1252(ByteView text) {
    SecretBytes out;
    out.reserve(text.size() * 2);
    for (std::uint8_t byte : text) {
        const bool high = byte >= 0x80 && byte < 0xa0 && kWindows1252High[byte - 0x80] != 0;
        appendUnit(out, high ? kWindows1252High[byte - 0x80] : byte);
    }
    return out;
}

}  // namespace velmora::access::crypto
