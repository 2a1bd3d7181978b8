#pragma once
// Conversion between UTF-8 and the code pages of Paradox tables: the single-byte 1252,
// 437 and 850, the Windows code pages of Paradox's other language drivers (1250, 1251,
// 1253 to 1257, 874) and the double-byte 932, 936, 949 and 950.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "common/text/CodePageTables.h"
#include "common/text/DoubleByteTable.h"

namespace velmora::text {

class CodePage {
  public:
    // Any number not known reads as 1252.
    static const CodePage& forNumber(int number);
    // Nothing for a code page not known.
    static const CodePage* find(int number);
    int number() const { return number_; }

    bool isDoubleByte() const { return doubleByte_ != nullptr; }

    // Appends the UTF-8 form of code page bytes.
    void decode(std::string_view bytes, std::string& out) const;
    // The bytes of a Unicode code point: one byte (below 0x100), two (lead byte * 256 +
    // trail byte, from 0x100), or -1 when the code page has no such character.
    int encode(char32_t codePoint) const {
        if (codePoint < 0x80) return static_cast<int>(codePoint);
        return encodeHigh(codePoint);
    }
    // Calls put with each byte of an encode() result.
    template <typename Put>
    static void forEachByte(int encoded, Put&& put) {
        if (encoded >= 0x100) put(static_cast<unsigned char>(encoded >> 8));
        put(static_cast<unsigned char>(encoded & 0xFF));
    }

  private:
    static constexpr char16_t kUndefined = 0xFFFF;  // bytes a code page leaves undefined
    CodePage(int number, const UpperHalf& upper);
    CodePage(int number, std::unique_ptr<DoubleByteTable> table);
    int encodeHigh(char32_t codePoint) const;

    int number_;
    std::array<char16_t, 256> table_;
    std::array<std::pair<char16_t, std::uint8_t>, 128> reverse_;  // sorted by code point
    std::unique_ptr<DoubleByteTable> doubleByte_;
};

}  // namespace velmora::text
