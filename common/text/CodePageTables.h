#pragma once
// Byte-to-Unicode tables of the single-byte code pages.

#include <array>
#include <cstdint>

namespace velmora::text {

// Bytes 0x80 to 0xFF of a single-byte code page; 0x00 to 0x7F are ASCII in all of them.
using UpperHalf = std::array<char16_t, 128>;

inline char16_t unicodeOf(const UpperHalf& table, std::uint8_t byte) {
    return byte < 0x80 ? byte : table[byte - 0x80u];
}

extern const UpperHalf kCp1252;
extern const UpperHalf kCp437;
extern const UpperHalf kCp850;
extern const UpperHalf kCp1250;
extern const UpperHalf kCp1251;
extern const UpperHalf kCp1253;
extern const UpperHalf kCp1254;
extern const UpperHalf kCp1257;
extern const UpperHalf kCp1255;
extern const UpperHalf kCp1256;
extern const UpperHalf kCp874;

}  // namespace velmora::text
