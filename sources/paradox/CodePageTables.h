#pragma once
// Byte-to-Unicode tables of the code pages found in Paradox table headers.

#include <array>

namespace velmora::paradox {

extern const std::array<char16_t, 256> kCp1252;
extern const std::array<char16_t, 256> kCp437;
extern const std::array<char16_t, 256> kCp850;

}  // namespace velmora::paradox
