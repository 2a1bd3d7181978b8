#pragma once
// Layout constants of the two on-disk generations: Jet3 (Access 97, 2 KB pages, 8-bit
// text) and Jet4 (Access 2000 and every .accdb, 4 KB pages, UTF-16 text).

#include <cstddef>
#include <cstdint>

namespace velmora::access {

namespace page_type {
constexpr std::uint8_t kData = 0x01;
constexpr std::uint8_t kTableDefinition = 0x02;
constexpr std::uint8_t kIndexLeaf = 0x04;
constexpr std::uint8_t kUsageMap = 0x05;
}  // namespace page_type

struct JetFormat {
    bool jet3 = false;
    std::size_t pageSize = 4096;

    // Data pages: row count, then one 16-bit offset per row.
    std::size_t dataRowCount = 0x0c;
    std::size_t dataRowOffsets() const { return dataRowCount + 2; }

    // Table definition block (offsets from the start of the first tdef page).
    std::size_t tdefRowCount = 16;
    std::size_t tdefMaxColumns = 41;  // the columns a row may hold, deleted ones included
    std::size_t tdefVarColumns = 43;
    std::size_t tdefColumnCount = 45;
    std::size_t tdefIndexCount = 47;
    std::size_t tdefRealIndexCount = 51;
    std::size_t tdefOwnedPages = 55;
    std::size_t tdefRealIndexStart = 63;
    std::size_t realIndexEntrySize = 12;

    // After the column names: one definition per real index (its key columns and flags),
    // then one entry per logical index (which real index it uses, its kind), then the
    // logical indexes' names.
    std::size_t realIndexSize = 52;
    std::size_t realIndexColumns = 4;  // ten (column number, order flags) slots
    std::size_t realIndexFlags = 46;
    std::size_t logicalIndexSize = 28;
    std::size_t logicalIndexData = 8;  // the real index it uses
    std::size_t logicalIndexType = 23;

    // Column descriptor.
    std::size_t columnEntrySize = 25;
    std::size_t columnNumber = 5;
    std::size_t columnVarIndex = 7;
    std::size_t columnPrecision = 11;
    std::size_t columnScale = 12;
    std::size_t columnFlags = 15;
    std::size_t columnExtFlags = 16;  // Jet4 only
    std::size_t columnFixedOffset = 21;
    std::size_t columnLength = 23;
    std::size_t nameLengthSize = 2;

    // Rows: the column count field in front of the fixed-length data.
    std::size_t rowColumnCountSize = 2;

    // Index leaf pages: the previous and next leaf, a bitmap marking where each entry
    // ends, then the entries.
    std::size_t leafPrevious = 0x08;
    std::size_t leafNext = 0x0c;
    std::size_t leafEntryMap = 0x1b;
    std::size_t leafEntries = 0x1e0;
};

const JetFormat& jet3Format();
const JetFormat& jet4Format();

}  // namespace velmora::access
