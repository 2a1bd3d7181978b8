#include "paradox/BlockSize.h"

#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"

namespace velmora::paradox {

namespace {

constexpr int kBlockSizes[] = {2048, 4096, 16384, 32768};
constexpr int kRecordsPerBlockWanted = 8;

std::uint8_t levelFor(int blockSize) {
    return blockSize > 4096 ? hdr::kVersionLevel7 : hdr::kVersionLevel5;
}

}  // namespace

int recordsPerBlock(int blockSize, int recordSize) {
    return (blockSize - hdr::kBlockHeaderSize) / recordSize;
}

BlockChoice chooseBlockSize(int recordSize, std::int64_t expectedRows, const std::string& table) {
    const int largest = kBlockSizes[std::size(kBlockSizes) - 1];
    if (recordSize > largest - hdr::kBlockHeaderSize)
        fail("The record of this table would be " + std::to_string(recordSize) +
             " bytes long; a Paradox record holds at most " +
             std::to_string(largest - hdr::kBlockHeaderSize) + " bytes.");
    const std::int64_t mostRows =
        static_cast<std::int64_t>(kMaxBlocksUnkeyed) * recordsPerBlock(largest, recordSize);
    if (expectedRows > mostRows)
        fail("The table " + inQuotes(table) + " would take " + std::to_string(expectedRows) +
             " rows of " + std::to_string(recordSize) + " bytes; a Paradox table holds at most " +
             std::to_string(mostRows) + " such rows (65535 blocks of 32 KB, 2 GB).");
    for (int size : kBlockSizes) {
        const int perBlock = recordsPerBlock(size, recordSize);
        const bool roomy = perBlock >= kRecordsPerBlockWanted || size == largest;
        const bool holdsAll = expectedRows <= static_cast<std::int64_t>(kMaxBlocksKeyed) * perBlock;
        if (roomy && (holdsAll || size == largest)) return {size, levelFor(size)};
    }
    return {largest, levelFor(largest)};
}

}  // namespace velmora::paradox
