#include "common/text/TableCodePages.h"

#include <array>
#include <memory>

#include "common/text/CodePage.h"
#include "common/text/Utf8.h"

namespace velmora::text {

namespace {

// One mask per character of the Basic Multilingual Plane; no table code page holds a
// character beyond it.
const std::array<std::uint32_t, 0x10000>& masks() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<std::uint32_t, 0x10000>>();
        for (char32_t c = 0; c < 0x10000; ++c) {
            std::uint32_t mask = 0;
            for (int i = 0; i < kTableCodePageCount; ++i) {
                const CodePage* cp = CodePage::find(kTableCodePages[i]);
                if (cp != nullptr && cp->encode(c) >= 0) mask |= 1u << i;
            }
            (*t)[c] = mask;
        }
        return t;
    }();
    return *table;
}

}  // namespace

std::uint32_t tableCodePagesHolding(char32_t codePoint) {
    if (codePoint < 0x80) return kAllTableCodePages;
    return codePoint < 0x10000 ? masks()[codePoint] : 0;
}

std::uint32_t tableCodePagesHolding(const char* utf8, std::size_t length) {
    std::uint32_t mask = kAllTableCodePages;
    const std::string_view text(utf8, length);
    std::size_t i = 0;
    while (i < text.size() && mask != 0) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t c = 0;
        if (!nextCodePoint(text, i, c)) return 0;
        mask &= tableCodePagesHolding(c);
    }
    return mask;
}

int chooseTableCodePage(const std::map<std::uint32_t, std::int64_t>& rowsByCodePages,
                        std::uint32_t namesMask) {
    std::int64_t held[kTableCodePageCount] = {};
    std::int64_t total = 0;
    for (const auto& [mask, rows] : rowsByCodePages) {
        total += rows;
        for (int i = 0; i < kTableCodePageCount; ++i)
            if ((mask & (1u << i)) != 0) held[i] += rows;
    }
    for (int i = 0; i < kTableCodePageCount; ++i)
        if (held[i] == total && (namesMask & (1u << i)) != 0) return kTableCodePages[i];
    for (int i = 0; i < kTableCodePageCount; ++i)
        if (held[i] == total) return kTableCodePages[i];
    int best = 0;
    for (int i = 1; i < kTableCodePageCount; ++i)
        if (held[i] > held[best]) best = i;
    return kTableCodePages[best];
}

}  // namespace velmora::text
