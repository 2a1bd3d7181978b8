#pragma once
// The block size and level of a new table, from its record size and the rows it will take.
//
// Rules, from the format reference and Borland's own tables:
//  - Block sizes are 2, 4, 16 or 32 KB: the sizes Borland's engine offers (no 8 KB).
//  - A table with 2 or 4 KB blocks is written at level 5 (version byte 0x0B), like
//    Borland's level 5 tables; 16 and 32 KB blocks need level 7 (0x0C): level 5 readers
//    take a block size code of 1 to 4 only, and every Borland table with 16 KB blocks is
//    level 7.
//  - The block count is 16 bits, so a table holds at most 65,535 blocks (2 GB at 32 KB).
//    A primary index stores block numbers as Short values, whose blank is the number
//    32,768: a keyed table holds at most 32,767 data blocks.
//  - The smallest size that holds at least eight records a block and, when the statement
//    says how many rows will come, all of them within 32,767 blocks. A table too large
//    for 65,535 blocks of 32 KB is refused before any file is written.

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
