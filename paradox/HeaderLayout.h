#pragma once
// Offsets of the fixed part of .db and .px headers, and of data block headers. What each
// one holds in the tables we write: docs/paradox-format.md.

#include <cstdint>

namespace velmora::paradox::hdr {

constexpr int kRecordSize = 0x00;
constexpr int kHeaderSize = 0x02;
constexpr int kFileType = 0x04;
constexpr int kMaxTableSize = 0x05;  // block size in KB
constexpr int kRecordCount = 0x06;
constexpr int kNextBlock = 0x0A;
constexpr int kFileBlocks = 0x0C;
constexpr int kFirstBlock = 0x0E;
constexpr int kLastBlock = 0x10;
constexpr int kUnknown12 = 0x12;
constexpr int kRebuildNeeded = 0x14;        // not zero: the file must be rebuilt before use
constexpr int kIndexField = 0x15;           // secondary index data: its (first) field's number
constexpr int kPrimaryIndexPointer = 0x16;  // in-memory pointers of the last writer
constexpr int kUnknownPointer1A = 0x1A;
constexpr int kIndexRoot = 0x1E;
constexpr int kIndexLevels = 0x20;
constexpr int kFieldCount = 0x21;
constexpr int kKeyFields = 0x23;
constexpr int kEncryption1 = 0x25;
constexpr int kSortOrder = 0x29;
constexpr int kIndexChangeCount = 0x2C;  // a .px copies its table's change count here
constexpr int kChangeCount1 = 0x2D;
constexpr int kChangeCount2 = 0x2E;
constexpr int kTableNamePtrPtr = 0x30;
constexpr int kFieldInfoPtr = 0x34;
constexpr int kVersion = 0x39;
constexpr int kMaxBlocks = 0x3A;
constexpr int kUnknown3E = 0x3E;
constexpr int kAutoIncrement = 0x49;
constexpr int kFirstFreeBlock = 0x4D;
constexpr int kRealHeaderSize = 0x51;
constexpr int kIndexDirection = 0x55;  // level 7 composite indexes: 0x01, or 0x11 descending
constexpr int kUnknown56 = 0x56;
constexpr int kVersionWord1 = 0x58;
constexpr int kVersionWord2 = 0x5A;
constexpr int kEncryption2 = 0x5C;
constexpr int kFileUpdateTime = 0x60;
constexpr int kHighFieldId = 0x64;
constexpr int kHighFieldIdInfo = 0x66;
constexpr int kIndexNameInfo = 0x68;  // composite indexes: 0x66's count up to the index name
constexpr int kCodePage = 0x6A;
constexpr int kUnknown6C = 0x6C;
constexpr int kChangeCount4 = 0x70;
constexpr int kFieldTableV4 = 0x78;  // .db files of level 4 and later
constexpr int kFieldTableV3 = 0x58;  // level 3 tables and all .px files

constexpr int kFileTypeKeyed = 0;
constexpr int kFileTypeIndex = 1;
constexpr int kFileTypeUnkeyed = 2;
// Secondary indexes: the data (.Xnn single field, .XGn composite) is a keyed file of the
// index's entries; its index (.Ynn, .YGn) is laid out like a .px. "Incrementing" data
// files are maintained on every change of the table.
constexpr int kFileTypeSingleData = 3;
constexpr int kFileTypeSingleIndex = 4;
constexpr int kFileTypeSingleDataMaintained = 5;
constexpr int kFileTypeCompositeData = 6;
constexpr int kFileTypeCompositeIndex = 7;
constexpr int kFileTypeCompositeDataMaintained = 8;
constexpr std::uint8_t kDirectionAscending = 0x01;
constexpr std::uint8_t kDirectionDescending = 0x11;
// Set in a secondary index's field numbers for a case-insensitive field.
constexpr std::uint16_t kCaseInsensitiveField = 0x8000;

constexpr int kVersionLevel5 = 0x0B;
constexpr int kVersionLevel7 = 0x0C;

constexpr int kTableNameLength = 79;         // levels 3 to 5
constexpr int kTableNameLengthLevel7 = 261;  // level 7

// Data and index block headers.
constexpr int kBlockNext = 0;
constexpr int kBlockPrev = 2;
constexpr int kBlockAddDataSize = 4;  // (records - 1) * record size, negative when empty
constexpr int kBlockHeaderSize = 6;

}  // namespace velmora::paradox::hdr
