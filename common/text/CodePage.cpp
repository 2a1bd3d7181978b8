#include "common/text/CodePage.h"

#include <algorithm>
#include <initializer_list>

#include "common/text/CodePageTables.h"
#include "common/text/Utf8.h"

namespace velmora::text {

CodePage::CodePage(int number, const std::array<char16_t, 256>& table)
    : number_(number), table_(table) {
    for (int b = 0x80; b < 0x100; ++b)
        reverse_[static_cast<std::size_t>(b - 0x80)] = {table[static_cast<std::size_t>(b)],
                                                        static_cast<std::uint8_t>(b)};
    std::sort(reverse_.begin(), reverse_.end());
}

const CodePage* CodePage::find(int number) {
    static const CodePage cp1252(1252, kCp1252);
    static const CodePage cp437(437, kCp437);
    static const CodePage cp850(850, kCp850);
    static const CodePage cp1250(1250, kCp1250);
    static const CodePage cp1251(1251, kCp1251);
    static const CodePage cp1253(1253, kCp1253);
    static const CodePage cp1254(1254, kCp1254);
    static const CodePage cp1255(1255, kCp1255);
    static const CodePage cp1256(1256, kCp1256);
    static const CodePage cp1257(1257, kCp1257);
    static const CodePage cp874(874, kCp874);
    for (const CodePage* cp : {&cp1252, &cp437, &cp850, &cp1250, &cp1251, &cp1253, &cp1254, &cp1255,
                               &cp1256, &cp1257, &cp874})
        if (cp->number() == number) return cp;
    return nullptr;
}

const CodePage& CodePage::forNumber(int number) {
    const CodePage* cp = find(number);
    return cp != nullptr ? *cp : *find(1252);
}

int CodePage::encodeHigh(char32_t codePoint) const {
    if (codePoint > 0xFFFF) return -1;
    const auto key = static_cast<char16_t>(codePoint);
    if (key == kUndefined) return -1;
    auto it = std::lower_bound(reverse_.begin(), reverse_.end(), key,
                               [](const auto& entry, char16_t k) { return entry.first < k; });
    if (it == reverse_.end() || it->first != key) return -1;
    return it->second;
}

void CodePage::decode(std::string_view bytes, std::string& out) const {
    for (unsigned char b : bytes) {
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else
            appendUtf8(table_[b], out);
    }
}

}  // namespace velmora::text
