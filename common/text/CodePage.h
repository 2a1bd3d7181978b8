#pragma once
// Conversion between UTF-8 and the single-byte Windows and DOS code pages.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace velmora::text {

class CodePage {
  public:
    // 1252, 437 and 850 are known; any other number reads as 1252.
    static const CodePage& forNumber(int number);
    int number() const { return number_; }

    // Appends the UTF-8 form of code page bytes.
    void decode(std::string_view bytes, std::string& out) const;
    // The byte for a Unicode code point, or -1 when the code page has no such character.
    int encode(char32_t codePoint) const {
        if (codePoint < 0x80) return static_cast<int>(codePoint);
        return encodeHigh(codePoint);
    }

  private:
    CodePage(int number, const std::array<char16_t, 256>& table);
    int encodeHigh(char32_t codePoint) const;

    int number_;
    const std::array<char16_t, 256>& table_;
    std::array<std::pair<char16_t, std::uint8_t>, 128> reverse_;  // sorted by code point
};

}  // namespace velmora::text
