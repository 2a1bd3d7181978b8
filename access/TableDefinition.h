#pragma once
// A table's definition page chain ("tdef"): its columns and where its rows live.

#include <cstdint>
#include <string>
#include <vector>

#include "access/PageFile.h"
#include "access/TextDecoder.h"

namespace velmora::access {

namespace jet_type {
constexpr std::uint8_t kBoolean = 0x01;
constexpr std::uint8_t kByte = 0x02;
constexpr std::uint8_t kInteger = 0x03;
constexpr std::uint8_t kLong = 0x04;
constexpr std::uint8_t kCurrency = 0x05;
constexpr std::uint8_t kSingle = 0x06;
constexpr std::uint8_t kDouble = 0x07;
constexpr std::uint8_t kDateTime = 0x08;
constexpr std::uint8_t kBinary = 0x09;
constexpr std::uint8_t kText = 0x0a;
constexpr std::uint8_t kOle = 0x0b;
constexpr std::uint8_t kMemo = 0x0c;
constexpr std::uint8_t kGuid = 0x0f;
constexpr std::uint8_t kNumeric = 0x10;
constexpr std::uint8_t kComplex = 0x12;
constexpr std::uint8_t kBigInt = 0x13;
constexpr std::uint8_t kExtendedDateTime = 0x14;
}  // namespace jet_type

// Where a row-level structure lives: row `row` of data page `page`.
struct RowPointer {
    std::uint32_t page = 0;
    std::uint8_t row = 0;
};

struct ColumnDefinition {
    std::string name;
    std::uint8_t type = 0;       // jet_type, as stored
    std::uint8_t valueType = 0;  // the type of the values: `type`, or a calculated column's result
    std::uint16_t number = 0;    // bit in the row's null mask (counts deleted columns)
    std::uint16_t varIndex = 0;
    std::uint16_t fixedOffset = 0;
    std::uint16_t length = 0;  // bytes
    std::uint8_t precision = 0;
    std::uint8_t scale = 0;
    bool fixed = false;  // stored in the row's fixed-length area
    bool calculated = false;
    bool autoNumber = false;      // a Long AutoNumber
    bool guidAutoNumber = false;  // a Replication ID AutoNumber
};

struct IndexColumn {
    std::size_t column = 0;  // position in TableDefinition::columns
    bool descending = false;
};

// A logical index as Access shows it: the primary key, a unique or plain index. The
// hidden indexes Access keeps for relationships ("foreign key" indexes) are not listed.
struct IndexDefinition {
    std::string name;
    std::vector<IndexColumn> columns;  // in key order
    bool primaryKey = false;
    bool unique = false;
    bool ignoreNulls = false;
    bool required = false;
};

struct TableDefinition {
    std::uint32_t page = 0;
    // The number of rows the definition records. Access keeps it up to date, but a file
    // that was not closed properly may hold a stale one: it only ever tells how many rows
    // a damaged page held.
    std::uint32_t storedRowCount = 0;
    std::uint16_t maxColumnCount = 0;       // columns a row may hold, deleted ones included
    std::uint16_t varColumnCount = 0;       // rows carry a variable-length offset table when > 0
    std::vector<ColumnDefinition> columns;  // by column number, as Access shows them
    std::vector<IndexDefinition> indexes;   // in the order the definition stores them
    std::string indexError;                 // why the indexes could not be read, if so
    RowPointer ownedPages;
};

// Reads and checks the definition at `page`; throws FormatError when it is damaged. The
// pages the definition continues on are read only as far as the columns need them.
TableDefinition readTableDefinition(const PageFile& file, const TextDecoder& text,
                                    std::uint32_t page);

}  // namespace velmora::access
