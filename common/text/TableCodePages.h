#pragma once
// The code pages a new Paradox table may be written in, in order of preference: 1252,
// then the other Windows code pages Paradox has language drivers for. Sets of them are
// bit masks, bit i standing for kTableCodePages[i].

#include <cstddef>
#include <cstdint>
#include <map>

namespace velmora::text {

inline constexpr int kTableCodePages[] = {1252, 1250, 1251, 1253, 1254, 1257, 1255,
                                          1256, 874,  932,  936,  949,  950};
inline constexpr int kTableCodePageCount =
    static_cast<int>(sizeof kTableCodePages / sizeof kTableCodePages[0]);
inline constexpr std::uint32_t kAllTableCodePages = (1u << kTableCodePageCount) - 1;

// The code pages that hold the character.
std::uint32_t tableCodePagesHolding(char32_t codePoint);

// The code pages that hold every character of a UTF-8 text (all of them for ASCII).
std::uint32_t tableCodePagesHolding(const char* utf8, std::size_t length);

// The code page for a table whose rows hold characters of the given sets (rows by set),
// whose names need `namesMask`: the first that holds every row and name, else the first
// that holds every row, else the one holding the most rows (the earlier on a tie).
int chooseTableCodePage(const std::map<std::uint32_t, std::int64_t>& rowsByCodePages,
                        std::uint32_t namesMask);

}  // namespace velmora::text
