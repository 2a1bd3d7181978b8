#include "common/text/CodePage.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "common/text/CodePageTables.h"
#include "common/text/Utf8.h"

namespace velmora::text {

CodePage::CodePage(int number, const UpperHalf& upper) : number_(number) {
    for (int b = 0; b < 0x100; ++b) {
        const char16_t c = unicodeOf(upper, static_cast<std::uint8_t>(b));
        table_[static_cast<std::size_t>(b)] = c;
        if (b >= 0x80)
            reverse_[static_cast<std::size_t>(b - 0x80)] = {c, static_cast<std::uint8_t>(b)};
    }
    std::sort(reverse_.begin(), reverse_.end());
}

CodePage::CodePage(int number, std::unique_ptr<DoubleByteTable> table)
    : number_(number), doubleByte_(std::move(table)) {
    if (doubleByte_)
        table_ = doubleByte_->single;
    else
        table_.fill(kUndefined);
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
    static const CodePage cp932(932, loadDoubleByteTable(932));
    static const CodePage cp936(936, loadDoubleByteTable(936));
    static const CodePage cp949(949, loadDoubleByteTable(949));
    static const CodePage cp950(950, loadDoubleByteTable(950));
    for (const CodePage* cp : {&cp932, &cp936, &cp949, &cp950})
        if (cp->number() == number && cp->isDoubleByte()) return cp;
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
    if (doubleByte_) {
        const auto found = doubleByte_->encoded.find(key);
        return found == doubleByte_->encoded.end() ? -1 : found->second;
    }
    auto it = std::lower_bound(reverse_.begin(), reverse_.end(), key,
                               [](const auto& entry, char16_t k) { return entry.first < k; });
    if (it == reverse_.end() || it->first != key) return -1;
    return it->second;
}

void CodePage::decode(std::string_view bytes, std::string& out) const {
    if (doubleByte_) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            char16_t c = doubleByte_->single[b];
            if (doubleByte_->lead[b] && i + 1 < bytes.size())
                c = doubleByte_->pairs[b * 256u + static_cast<unsigned char>(bytes[++i])];
            appendUtf8(c == kUndefined ? U'\uFFFD' : c, out);
        }
        return;
    }
    // Runs of ASCII, most of any text, are appended whole: eight bytes are checked at once.
    const std::size_t size = bytes.size();
    for (std::size_t at = 0; at < size;) {
        std::size_t end = at;
        for (std::uint64_t word; end + 8 <= size; end += 8) {
            std::memcpy(&word, bytes.data() + end, 8);
            if ((word & 0x8080808080808080u) != 0) break;
        }
        while (end < size && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
        out.append(bytes.data() + at, end - at);
        if (end == size) break;
        appendUtf8(table_[static_cast<unsigned char>(bytes[end])], out);
        at = end + 1;
    }
}

}  // namespace velmora::text
