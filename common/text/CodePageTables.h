#pragma once
// Byte-to-Unicode tables of the single-byte code pages.

#include <array>

namespace velmora::text {

extern const std::array<char16_t, 256> kCp1252;
extern const std::array<char16_t, 256> kCp437;
extern const std::array<char16_t, 256> kCp850;

}  // namespace velmora::text
