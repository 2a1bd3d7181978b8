#include "access/TableDefinition.h"

#include <algorithm>
#include <unordered_set>

namespace velmora::access {

namespace {

constexpr std::uint8_t kFixedFlag = 0x01;
constexpr std::uint8_t kAutoNumberFlag = 0x04;
constexpr std::uint8_t kGuidAutoNumberFlag = 0x40;
constexpr std::size_t kIndexColumnSlots = 10;
constexpr std::uint16_t kUnusedSlot = 0xFFFF;
constexpr std::uint8_t kAscendingColumn = 0x01;
constexpr std::uint8_t kUniqueIndex = 0x01;
constexpr std::uint8_t kIgnoreNullsIndex = 0x02;
constexpr std::uint8_t kRequiredIndex = 0x08;
constexpr std::uint8_t kPrimaryKeyIndex = 1;
constexpr std::uint8_t kForeignKeyIndex = 2;
constexpr std::uint8_t kCalculatedExtFlags = 0xC0;
// Access allows 255 columns and 32 indexes; anything far beyond is a damaged header.
constexpr std::uint32_t kMaxColumns = 4096;
constexpr std::uint32_t kMaxIndexes = 1024;
constexpr std::size_t kMaxDefinitionPages = 4096;

// The bytes of a definition, which continues on further pages; each continuation skips
// its 8-byte header. Pages are read as the parse reaches them, so damage past the columns
// (in the index definitions, or a link to a page they do not need) does not matter.
class DefinitionBytes {
  public:
    DefinitionBytes(const PageFile& file, std::uint32_t first) : file_(file), first_(first) {
        readPage(first);
    }

    // The bytes read so far, at least `size` of them; throws FormatError when the chain
    // ends sooner.
    ByteSpan need(std::size_t size) {
        while (bytes_.size() < size) {
            const std::uint32_t next = ByteSpan(page_.data(), page_.size()).u32(4);
            if (next == 0)
                throw FormatError("the definition of the table at page " + std::to_string(first_) +
                                  " ends before its columns do");
            readPage(next);
        }
        return ByteSpan(bytes_.data(), bytes_.size());
    }

  private:
    void readPage(std::uint32_t number) {
        if (!seen_.insert(number).second || seen_.size() > kMaxDefinitionPages)
            throw FormatError("the definition of the table at page " + std::to_string(first_) +
                              " loops back on itself");
        file_.read(number, page_);
        if (page_[0] != page_type::kTableDefinition)
            throw FormatError("page " + std::to_string(number) + " is not a table definition page");
        bytes_.insert(bytes_.end(), page_.begin() + (bytes_.empty() ? 0 : 8), page_.end());
    }

    const PageFile& file_;
    const std::uint32_t first_;
    std::vector<std::uint8_t> page_;
    std::vector<std::uint8_t> bytes_;
    std::unordered_set<std::uint32_t> seen_;
};

// The logical indexes, from the index area that follows the column names at `at`.
std::vector<IndexDefinition> readIndexes(const JetFormat& f, DefinitionBytes& bytes,
                                         const TextDecoder& text, std::size_t at,
                                         std::uint32_t realCount, std::uint32_t logicalCount,
                                         const std::vector<ColumnDefinition>& columns) {
    struct RealIndex {
        std::vector<IndexColumn> columns;
        std::uint8_t flags = 0;
    };
    std::vector<RealIndex> real(realCount);
    for (std::uint32_t i = 0; i < realCount; ++i) {
        const std::size_t entry = at + i * f.realIndexSize;
        const ByteSpan d = bytes.need(entry + f.realIndexSize).sub(entry, f.realIndexSize);
        for (std::size_t slot = 0; slot < kIndexColumnSlots; ++slot) {
            const std::uint16_t number = d.u16(f.realIndexColumns + slot * 3);
            if (number == kUnusedSlot) continue;
            const auto found =
                std::find_if(columns.begin(), columns.end(),
                             [&](const ColumnDefinition& c) { return c.number == number; });
            if (found == columns.end())
                throw FormatError("an index names the column number " + std::to_string(number) +
                                  ", which the table does not have");
            const bool ascending = (d.u8(f.realIndexColumns + slot * 3 + 2) & kAscendingColumn);
            real[i].columns.push_back(
                {static_cast<std::size_t>(found - columns.begin()), !ascending});
        }
        real[i].flags = d.u8(f.realIndexFlags);
    }
    at += realCount * f.realIndexSize;

    std::vector<IndexDefinition> logical(logicalCount);
    std::vector<bool> listed(logicalCount);
    for (std::uint32_t i = 0; i < logicalCount; ++i) {
        const std::size_t entry = at + i * f.logicalIndexSize;
        const ByteSpan d = bytes.need(entry + f.logicalIndexSize).sub(entry, f.logicalIndexSize);
        const std::uint32_t data = d.u32(f.logicalIndexData);
        const std::uint8_t type = d.u8(f.logicalIndexType);
        if (type == kForeignKeyIndex) continue;
        if (data >= realCount)
            throw FormatError("an index refers to the missing index data " + std::to_string(data));
        IndexDefinition& index = logical[i];
        index.columns = real[data].columns;
        index.primaryKey = type == kPrimaryKeyIndex;
        index.unique = (real[data].flags & kUniqueIndex) != 0;
        index.ignoreNulls = (real[data].flags & kIgnoreNullsIndex) != 0;
        index.required = (real[data].flags & kRequiredIndex) != 0;
        listed[i] = true;
    }
    at += logicalCount * f.logicalIndexSize;

    std::vector<IndexDefinition> indexes;
    for (std::uint32_t i = 0; i < logicalCount; ++i) {
        const ByteSpan lengthAt = bytes.need(at + f.nameLengthSize);
        const std::size_t length = f.nameLengthSize == 1 ? lengthAt.u8(at) : lengthAt.u16(at);
        at += f.nameLengthSize;
        if (listed[i]) {
            logical[i].name = text.decodeName(bytes.need(at + length).sub(at, length));
            indexes.push_back(std::move(logical[i]));
        }
        at += length;
    }
    return indexes;
}

}  // namespace

TableDefinition readTableDefinition(const PageFile& file, const TextDecoder& text,
                                    std::uint32_t page) {
    const JetFormat& f = file.format();
    DefinitionBytes bytes(file, page);
    ByteSpan tdef = bytes.need(f.tdefRealIndexStart);

    TableDefinition table;
    table.page = page;
    table.storedRowCount = tdef.u32(f.tdefRowCount);
    table.maxColumnCount = tdef.u16(f.tdefMaxColumns);
    table.varColumnCount = tdef.u16(f.tdefVarColumns);
    const std::uint32_t columnCount = tdef.u16(f.tdefColumnCount);
    const std::uint32_t realIndexCount = tdef.u32(f.tdefRealIndexCount);
    const std::uint32_t indexCount = tdef.u32(f.tdefIndexCount);
    if (columnCount > kMaxColumns || realIndexCount > kMaxIndexes || indexCount > kMaxIndexes)
        throw FormatError("the definition of the table at page " + std::to_string(page) +
                          " has impossible column or index counts");
    table.ownedPages = RowPointer{tdef.u24(f.tdefOwnedPages + 1), tdef.u8(f.tdefOwnedPages)};

    const std::size_t descriptors = f.tdefRealIndexStart + realIndexCount * f.realIndexEntrySize;
    std::size_t nameAt = descriptors + columnCount * f.columnEntrySize;
    tdef = bytes.need(nameAt);
    table.columns.resize(columnCount);
    for (std::uint32_t i = 0; i < columnCount; ++i) {
        const ByteSpan d = tdef.sub(descriptors + i * f.columnEntrySize, f.columnEntrySize);
        ColumnDefinition& c = table.columns[i];
        c.type = d.u8(0);
        c.valueType = c.type;
        c.number = d.u16(f.columnNumber);
        c.varIndex = d.u16(f.columnVarIndex);
        c.precision = d.u8(f.columnPrecision);
        c.scale = d.u8(f.columnScale);
        const std::uint8_t flags = d.u8(f.columnFlags);
        c.fixed = (flags & kFixedFlag) != 0;
        c.calculated = !f.jet3 && (d.u8(f.columnExtFlags) & kCalculatedExtFlags) != 0;
        c.autoNumber = (flags & kAutoNumberFlag) != 0 && c.type == jet_type::kLong;
        c.guidAutoNumber = (flags & kGuidAutoNumberFlag) != 0 && c.type == jet_type::kGuid;
        c.fixedOffset = d.u16(f.columnFixedOffset);
        c.length = d.u16(f.columnLength);

        tdef = bytes.need(nameAt + f.nameLengthSize);
        const std::size_t nameLength = f.nameLengthSize == 1 ? tdef.u8(nameAt) : tdef.u16(nameAt);
        nameAt += f.nameLengthSize;
        tdef = bytes.need(nameAt + nameLength);
        c.name = text.decodeName(tdef.sub(nameAt, nameLength));
        nameAt += nameLength;
    }
    // Descriptors are stored in no particular order once columns were inserted or
    // deleted; Access shows them by column number.
    std::stable_sort(
        table.columns.begin(), table.columns.end(),
        [](const ColumnDefinition& a, const ColumnDefinition& b) { return a.number < b.number; });
    // The rows stay readable when only the index area is damaged.
    try {
        table.indexes =
            readIndexes(f, bytes, text, nameAt, realIndexCount, indexCount, table.columns);
    } catch (const FormatError& e) {
        table.indexError = e.what();
    }
    return table;
}

}  // namespace velmora::access
