#pragma once
// Conversion between UTF-8 and the single-byte Windows and DOS code pages: 1252, 437
// and 850, and the Windows code pages of Paradox's other language drivers (1250, 1251,
// 1253 to 1257 and 874).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace velmora::text {

class CodePage {
  public:
    // Any number not known reads as 1252.
    static const CodePage& forNumber(int number);
    // Nothing for a code page not known.
    static const CodePage* find(int number);
    int number() const { return number_; }

    // Appends the UTF-8 form of code page bytes.
    void decode(std::string_view bytes, std::string& out) const;
    // The byte for a Unicode code point, or -1 when the code page has no such character.
    int encode(char32_t codePoint) const {
        if (codePoint < 0x80) return static_cast<int>(codePoint);
        return encodeHigh(codePoint);
    }

  private:
    static constexpr char16_t kUndefined = 0xFFFF;  // bytes a code page leaves undefined
    CodePage(int number, const std::array<char16_t, 256>& table);
    int encodeHigh(char32_t codePoint) const;

    int number_;
    const std::array<char16_t, 256>& table_;
    std::array<std::pair<char16_t, std::uint8_t>, 128> reverse_;  // sorted by code point
};

}  // namespace velmora::text
