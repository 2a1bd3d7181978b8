#include "paradox/KeyOrder.h"

#include "common/text/CodePage.h"
#include "common/text/Utf8.h"
#include "paradox/TableFiles.h"

namespace velmora::paradox {

namespace {

char16_t baseLetter(char16_t u) {
    static constexpr char kLatin1[] =  // U+00C0..U+00FF without case and accents
        "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYTSAAAAAAACEEEEIIIIDNOOOOO/OUUUUYTY";
    if (u >= 'a' && u <= 'z') return static_cast<char16_t>(u - 'a' + 'A');
    if (u >= 0xC0 && u <= 0xFF) {
        const char c = kLatin1[u - 0xC0];
        if (c != '*' && c != '/') return static_cast<char16_t>(c);
    }
    switch (u) {
        case 0x0160:
        case 0x0161:
            return 'S';
        case 0x017D:
        case 0x017E:
            return 'Z';
        case 0x0152:
        case 0x0153:
            return 'O';
        case 0x0178:
            return 'Y';
        default:
            return u;
    }
}

// The capital of a small letter of the scripts Paradox's code pages hold.
char32_t capitalOf(char32_t u) {
    if (u >= 'a' && u <= 'z') return u - 0x20;
    if ((u >= 0xE0 && u <= 0xFE && u != 0xF7)) return u - 0x20;
    if (u == 0xFF) return 0x178;
    if (u >= 0x100 && u <= 0x17F && u != 0x131 && u != 0x138 && u != 0x149 && u != 0x17F) {
        // Latin Extended-A pairs capital/small, with an odd stretch from U+0139 to U+0148
        // and from U+0179 on.
        const bool oddPairs = (u >= 0x139 && u <= 0x148) || u >= 0x179;
        if (oddPairs ? (u % 2 == 0) : (u % 2 == 1)) return u - 1;
    }
    if (u >= 0x3B1 && u <= 0x3C9 && u != 0x3C2) return u - 0x20;  // Greek
    if (u >= 0x430 && u <= 0x44F) return u - 0x20;                // Cyrillic
    if (u >= 0x450 && u <= 0x45F) return u - 0x50;
    return u;
}

bool isBinarySortOrder(const TableInfo& info) {
    if (info.sortOrderName.empty()) return info.sortOrder == 0;
    return sameNameIgnoringCase(info.sortOrderName, "ascii") ||
           sameNameIgnoringCase(info.sortOrderName, "DBWINUS0");
}

}  // namespace

KeyOrder::KeyOrder(const TableInfo& info)
    : KeyOrder(info, info.keyFields, info.caseInsensitive, info.descending) {}

KeyOrder::KeyOrder(const TableInfo& info, int fields, const std::vector<bool>& caseInsensitive,
                   bool descending)
    : descending_(descending) {
    const bool binaryText = isBinarySortOrder(info);
    for (int i = 0; i < fields; ++i) {
        const auto& field = info.fields[static_cast<std::size_t>(i)];
        length_ += field.length;
        Text text = Text::Bytes;
        if (field.type == FieldType::Alpha) {
            const bool noCase =
                static_cast<std::size_t>(i) < caseInsensitive.size() && caseInsensitive[i];
            text = binaryText ? (noCase ? Text::Capitals : Text::Bytes)
                              : (noCase ? Text::FoldedCapitals : Text::Folded);
        }
        parts_.push_back({field.offset, field.length, text});
        if (text != Text::Bytes) binary_ = false;
    }
    const text::CodePage& codePage = text::CodePage::forNumber(info.codePage);
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        // A double-byte code page's lead and trail bytes stand for no letter alone.
        char32_t u = b;
        if (!codePage.isDoubleByte() && b >= 0x80) {
            std::string utf8;
            codePage.decode(std::string_view(reinterpret_cast<const char*>(&byte), 1), utf8);
            std::size_t at = 0;
            if (!text::nextCodePoint(utf8, at, u)) u = b;
        }
        letter_[byte] = u < 0x10000 ? baseLetter(static_cast<char16_t>(u)) : 0xFFFF;
        int capital = b;
        const int encoded = codePage.encode(capitalOf(u));
        if ((b < 0x80 || !codePage.isDoubleByte()) && encoded >= 0 && encoded < 0x100)
            capital = encoded;
        capital_[byte] = static_cast<std::uint16_t>(capital);
    }
}

int KeyOrder::compareWeights(const std::uint8_t* x, const std::uint8_t* y, int length,
                             const std::array<std::uint16_t, 256>& weight) const {
    for (int i = 0; i < length; ++i) {
        const int wx = weight[x[i]];
        const int wy = weight[y[i]];
        if (wx != wy) return wx < wy ? -1 : 1;
    }
    return 0;
}

int KeyOrder::compareByFields(const std::uint8_t* a, const std::uint8_t* b) const {
    for (const auto& part : parts_) {
        const std::uint8_t* x = a + part.offset;
        const std::uint8_t* y = b + part.offset;
        int c = 0;
        switch (part.text) {
            case Text::Bytes:
                c = std::memcmp(x, y, static_cast<std::size_t>(part.length));
                break;
            case Text::Folded:
                c = compareWeights(x, y, part.length, letter_);
                if (c == 0) c = std::memcmp(x, y, static_cast<std::size_t>(part.length));
                break;
            case Text::Capitals:
                c = compareWeights(x, y, part.length, capital_);
                break;
            case Text::FoldedCapitals:
                c = compareWeights(x, y, part.length, letter_);
                if (c == 0) c = compareWeights(x, y, part.length, capital_);
                break;
        }
        if (c != 0) return c;
    }
    return 0;
}

}  // namespace velmora::paradox
