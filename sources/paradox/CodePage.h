#pragma once
// Conversion between UTF-8 and the single-byte code page a table's header names.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace velmora::paradox {

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

// Reads one UTF-8 sequence at `text[i]`, advancing `i`; false for malformed input.
bool nextCodePoint(std::string_view text, std::size_t& i, char32_t& codePoint);
void appendUtf8(char32_t codePoint, std::string& out);

}  // namespace velmora::paradox
