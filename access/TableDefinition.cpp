#include "access/TableDefinition.h"

#include <algorithm>
#include <unordered_set>

namespace velmora::access {

namespace {

constexpr std::uint8_t kFixedFlag = 0x01;
constexpr std::uint8_t kCalculatedExtFlags = 0xC0;
// Access allows 255 columns and 32 indexes; anything far beyond is a damaged header.
constexpr std::uint32_t kMaxColumns = 4096;
constexpr std::uint32_t kMaxIndexes = 1024;
constexpr std::size_t kMaxDefinitionPages = 4096;

// The definition continues on further pages; each continuation skips its 8-byte header.
std::vector<std::uint8_t> readChain(const PageFile& file, std::uint32_t first) {
    const std::size_t pageSize = file.format().pageSize;
    std::vector<std::uint8_t> all;
    std::vector<std::uint8_t> page;
    std::unordered_set<std::uint32_t> seen;
    for (std::uint32_t number = first; number != 0;) {
        if (!seen.insert(number).second || seen.size() > kMaxDefinitionPages)
            throw FormatError("the definition of the table at page " + std::to_string(first) +
                              " loops back on itself");
        file.read(number, page);
        if (page[0] != page_type::kTableDefinition)
            throw FormatError("page " + std::to_string(number) + " is not a table definition page");
        all.insert(all.end(), page.begin() + (all.empty() ? 0 : 8), page.end());
        number = ByteSpan(page.data(), pageSize).u32(4);
    }
    return all;
}

}  // namespace

TableDefinition readTableDefinition(const PageFile& file, const TextDecoder& text,
                                    std::uint32_t page) {
    const JetFormat& f = file.format();
    const std::vector<std::uint8_t> bytes = readChain(file, page);
    const ByteSpan tdef(bytes.data(), bytes.size());

    TableDefinition table;
    table.page = page;
    table.varColumnCount = tdef.u16(f.tdefVarColumns);
    const std::uint32_t columnCount = tdef.u16(f.tdefColumnCount);
    const std::uint32_t realIndexCount = tdef.u32(f.tdefRealIndexCount);
    if (columnCount > kMaxColumns || realIndexCount > kMaxIndexes)
        throw FormatError("the definition of the table at page " + std::to_string(page) +
                          " has impossible column or index counts");
    table.ownedPages = RowPointer{tdef.u24(f.tdefOwnedPages + 1), tdef.u8(f.tdefOwnedPages)};

    const std::size_t descriptors = f.tdefRealIndexStart + realIndexCount * f.realIndexEntrySize;
    std::size_t nameAt = descriptors + columnCount * f.columnEntrySize;
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
        c.fixedOffset = d.u16(f.columnFixedOffset);
        c.length = d.u16(f.columnLength);

        const std::size_t nameLength = f.nameLengthSize == 1 ? tdef.u8(nameAt) : tdef.u16(nameAt);
        nameAt += f.nameLengthSize;
        c.name = text.decodeName(tdef.sub(nameAt, nameLength));
        nameAt += nameLength;
    }
    // Descriptors are stored in no particular order once columns were inserted or
    // deleted; Access shows them by column number.
    std::stable_sort(
        table.columns.begin(), table.columns.end(),
        [](const ColumnDefinition& a, const ColumnDefinition& b) { return a.number < b.number; });
    return table;
}

}  // namespace velmora::access
