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

}  // namespace

TableDefinition readTableDefinition(const PageFile& file, const TextDecoder& text,
                                    std::uint32_t page) {
    const JetFormat& f = file.format();
    DefinitionBytes bytes(file, page);
    ByteSpan tdef = bytes.need(f.tdefRealIndexStart);

    TableDefinition table;
    table.page = page;
    table.storedRowCount = tdef.u32(f.tdefRowCount);
    table.varColumnCount = tdef.u16(f.tdefVarColumns);
    const std::uint32_t columnCount = tdef.u16(f.tdefColumnCount);
    const std::uint32_t realIndexCount = tdef.u32(f.tdefRealIndexCount);
    if (columnCount > kMaxColumns || realIndexCount > kMaxIndexes)
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
    return table;
}

}  // namespace velmora::access
