#include "access/NameFolding.h"

#include <locale.h>
#include <wctype.h>

namespace velmora::access {

namespace {

locale_t unicodeLocale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    }();
    return locale;
}

// Decodes one UTF-8 sequence; malformed bytes stand for themselves.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i++]);
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + static_cast<std::size_t>(extra) > s.size()) return b;
    char32_t c = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) c = c << 6 | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return c;
}

}  // namespace

std::u32string foldName(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    const locale_t locale = unicodeLocale();
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = nextCodePoint(utf8, i);
        // Upper then lower: both sigmas, the long s and the Kelvin sign fold together.
        const wint_t upper = towupper_l(static_cast<wint_t>(c), locale);
        out.push_back(static_cast<char32_t>(towlower_l(upper, locale)));
    }
    return out;
}

bool sameName(std::string_view a, std::string_view b) {
    return foldName(a) == foldName(b);
}

bool nameLess(std::string_view a, std::string_view b) {
    const std::u32string fa = foldName(a);
    const std::u32string fb = foldName(b);
    if (fa != fb) return fa < fb;
    return a < b;  // UTF-8 byte order is code point order
}

}  // namespace velmora::access
