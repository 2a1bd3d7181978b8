#pragma once
// Byte-to-Unicode tables of the single-byte code pages.

#include <array>

namespace velmora::text {

extern const std::array<char16_t, 256> kCp1252;
extern const std::array<char16_t, 256> kCp437;
extern const std::array<char16_t, 256> kCp850;
extern const std::array<char16_t, 256> kCp1250;
extern const std::array<char16_t, 256> kCp1251;
extern const std::array<char16_t, 256> kCp1253;
extern const std::array<char16_t, 256> kCp1254;
extern const std::array<char16_t, 256> kCp1257;
extern const std::array<char16_t, 256> kCp1255;
extern const std::array<char16_t, 256> kCp1256;
extern const std::array<char16_t, 256> kCp874;

}  // namespace velmora::text
