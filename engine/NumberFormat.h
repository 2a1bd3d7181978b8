#pragma once
// The shortest text that reads back to exactly the same double, character for character as
// std::to_chars writes it. Numbers of at least 1 with a few decimals (prices, quantities)
// are written the quick way; every other number by std::to_chars itself.

#include <cstddef>

namespace velmora {

// Room enough for any double.
inline constexpr std::size_t kNumberTextRoom = 32;

// Writes `value` (finite) at `out`, which has kNumberTextRoom bytes; returns the end.
char* WriteShortest(char* out, double value);

}  // namespace velmora
