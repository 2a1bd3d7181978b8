#pragma once
// Reading the headers of .db tables and .px primary indexes of every level (3 to 7).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "paradox/FieldType.h"

namespace velmora::paradox {

struct TableInfo {
    std::uint8_t fileType = 2;
    std::uint8_t version =
        0;  // header version byte: 3/4 level 3, 5..9 level 4, 10/11 level 5, 12 level 7
    int headerSize = 0;
    int blockSize = 0;
    int recordSize = 0;
    std::uint32_t recordCount = 0;
    std::uint16_t fileBlocks = 0;
    std::uint16_t firstBlock = 0;
    std::uint16_t lastBlock = 0;
    int keyFields = 0;
    std::uint32_t autoIncrement = 0;
    int codePage = 1252;
    std::uint8_t sortOrder = 0;
    std::uint8_t changeCount = 1;  // rises with every change of the table
    std::string sortOrderName;
    std::vector<FieldInfo> fields;
    std::vector<std::uint16_t> fieldNumbers;  // as the header lists them

    // Secondary index data files (.Xnn, .XGn) only.
    std::string indexName;              // empty for a single-field index (named by its field)
    std::vector<bool> caseInsensitive;  // per key field
    bool descending = false;

    bool keyed() const { return keyFields > 0; }
    // Bytes of the key fields, which always come first in a record.
    int keyLength() const;
    int recordsPerBlock() const;
};

struct IndexInfo {
    int headerSize = 0;
    int blockSize = 0;
    int recordSize = 0;
    int keyFields = 0;
    std::uint32_t entryCount = 0;
    std::uint16_t fileBlocks = 0;
    std::uint16_t firstBlock = 0;
    std::uint16_t lastBlock = 0;
    std::uint16_t root = 0;
    int levels = 0;
};

// The header length a file declares, from its first bytes (at least 4).
int declaredHeaderSize(const std::uint8_t* data);

// Bytes from the start of a file that looksLikeTableHeader needs.
inline constexpr std::size_t kTableHeaderProbe = 0x78;
// True when the first `available` bytes of a file of `fileSize` bytes can start a .db
// table of any level (damaged or encrypted ones too): tells a table from another file.
bool looksLikeTableHeader(const std::uint8_t* data, std::size_t available, std::uint64_t fileSize);

// Parses a .db header. `data` holds `available` bytes from the start of the file
// (at least the declared header size). Throws a db::DbError naming `label` when the file
// is not a Paradox table, is damaged or is encrypted.
TableInfo parseTableHeader(const std::uint8_t* data, std::size_t available,
                           const std::string& label);
// The same for the data file of a secondary index (.Xnn, .XGn).
TableInfo parseIndexDataHeader(const std::uint8_t* data, std::size_t available,
                               const std::string& label);
bool isSecondaryIndexData(int fileType);

// A .px, or the index file of a secondary index (.Ynn, .YGn).
IndexInfo parseIndexHeader(const std::uint8_t* data, std::size_t available,
                           const std::string& label);

}  // namespace velmora::paradox
