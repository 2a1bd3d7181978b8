#pragma once
// The block size and level of a new table, from its record size and the rows it will take:
// the smallest of 2, 4, 16 and 32 KB that holds eight records and the rows announced
// within 32,767 blocks; level 5 for 2 and 4 KB, level 7 for larger blocks. The rules and
// what they rest on: docs/paradox-format.md ("Block size and level").

#include <cstdint>
#include <string>

namespace velmora::paradox {

inline constexpr int kMaxBlocksUnkeyed = 65535;
inline constexpr int kMaxBlocksKeyed = 32767;

struct BlockChoice {
    int blockSize = 0;
    std::uint8_t version = 0;
};

// Throws when a record of `recordSize` bytes does not fit a block, or when
// `expectedRows` (0: not known) cannot fit the largest table.
BlockChoice chooseBlockSize(int recordSize, std::int64_t expectedRows, const std::string& table);

// Records of `recordSize` bytes in one data block of `blockSize` bytes.
int recordsPerBlock(int blockSize, int recordSize);

}  // namespace velmora::paradox
