#include "paradox/KeyOrder.h"

#include "common/text/CodePageTables.h"
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

bool isBinarySortOrder(const TableInfo& info) {
    if (info.sortOrderName.empty()) return info.sortOrder == 0;
    return sameNameIgnoringCase(info.sortOrderName, "ascii") ||
           sameNameIgnoringCase(info.sortOrderName, "DBWINUS0");
}

}  // namespace

KeyOrder::KeyOrder(const TableInfo& info) {
    length_ = info.keyLength();
    const bool binaryText = isBinarySortOrder(info);
    for (int i = 0; i < info.keyFields; ++i) {
        const auto& field = info.fields[static_cast<std::size_t>(i)];
        const bool folded = !binaryText && field.type == FieldType::Alpha;
        parts_.push_back({field.offset, field.length, folded});
        if (folded) binary_ = false;
    }
    const auto& table = info.codePage == 437   ? text::kCp437
                        : info.codePage == 850 ? text::kCp850
                                               : text::kCp1252;
    for (int b = 0; b < 256; ++b)
        weight_[static_cast<std::size_t>(b)] =
            baseLetter(text::unicodeOf(table, static_cast<std::uint8_t>(b)));
}

int KeyOrder::compareByFields(const std::uint8_t* a, const std::uint8_t* b) const {
    for (const auto& part : parts_) {
        const std::uint8_t* x = a + part.offset;
        const std::uint8_t* y = b + part.offset;
        if (part.folded) {
            for (int i = 0; i < part.length; ++i) {
                const int wx = weight_[x[i]];
                const int wy = weight_[y[i]];
                if (wx != wy) return wx < wy ? -1 : 1;
            }
        }
        const int bytes = std::memcmp(x, y, static_cast<std::size_t>(part.length));
        if (bytes != 0) return bytes;
    }
    return 0;
}

}  // namespace velmora::paradox
