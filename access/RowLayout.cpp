#include "access/RowLayout.h"

#include <algorithm>

namespace velmora::access {

RowLayout::RowLayout(const JetFormat& format, const TableDefinition& table)
    : jet3_(format.jet3),
      hasVarColumns_(table.varColumnCount > 0),
      maxColumns_(table.maxColumnCount) {
    slots_.reserve(table.columns.size());
    for (const ColumnDefinition& c : table.columns) {
        slots_.push_back(Slot{c.number, c.varIndex,
                              static_cast<std::uint32_t>(format.rowColumnCountSize + c.fixedOffset),
                              static_cast<std::uint32_t>(fixedSize(c)), c.fixed,
                              c.type == jet_type::kBoolean});
    }
}

std::size_t RowLayout::fixedSize(const ColumnDefinition& column) {
    switch (column.type) {
        case jet_type::kBoolean:
            return 0;
        case jet_type::kByte:
            return 1;
        case jet_type::kInteger:
            return 2;
        case jet_type::kLong:
        case jet_type::kSingle:
        case jet_type::kComplex:
            return 4;
        case jet_type::kCurrency:
        case jet_type::kDouble:
        case jet_type::kDateTime:
        case jet_type::kBigInt:
            return 8;
        case jet_type::kGuid:
            return 16;
        case jet_type::kNumeric:
            return 17;
        case jet_type::kExtendedDateTime:
            return 42;
        default:
            return column.length;  // text, binary and unknown kinds
    }
}

// Jet3 keeps one-byte offsets; the jump table lists, for each 256-byte step, the first
// variable column whose offset passed it.
bool RowLayout::readJet3VarOffsets(ByteSpan row, std::size_t nullMaskSize) const {
    const std::size_t last = row.size() - 1;
    const std::size_t varCount = row.u8(last - nullMaskSize);
    std::size_t jumps = (row.size() - 1) / 256;
    if (last < nullMaskSize + jumps + 1) throw FormatError("a row is too short for its offsets");
    const std::size_t tableEnd = last - nullMaskSize - jumps - 1;  // offset of entry 0
    if (tableEnd < varCount) throw FormatError("a row is too short for its offsets");
    if ((tableEnd - varCount) / 256 < jumps) --jumps;  // the last jump entry is filler
    jet3VarOffsets_.resize(varCount + 1);
    std::size_t jumpsUsed = 0;
    for (std::size_t i = 0; i <= varCount; ++i) {
        while (jumpsUsed < jumps && i == row.u8(last - nullMaskSize - jumpsUsed - 1)) ++jumpsUsed;
        jet3VarOffsets_[i] = static_cast<std::uint32_t>(row.u8(tableEnd - i) + jumpsUsed * 256);
    }
    return jumpsUsed == jumps;
}

bool RowLayout::boundsProven(ByteSpan row) const {
    const std::size_t countSize = jet3_ ? 1 : 2;
    if (row.size() < countSize) return false;
    const std::size_t columnCount = jet3_ ? row.u8(0) : row.u16(0);
    const std::size_t nullMaskSize = (columnCount + 7) / 8;
    if (columnCount == 0 || columnCount > maxColumns_ || row.size() < countSize + nullMaskSize)
        return false;
    std::size_t fixedEnd = countSize;
    for (const Slot& s : slots_)
        if (s.fixed && s.number < columnCount)
            fixedEnd = std::max<std::size_t>(fixedEnd, s.fixedOffset + s.fixedSize);
    const std::size_t dataEnd = row.size() - nullMaskSize;
    if (!hasVarColumns_) return dataEnd == fixedEnd;

    // The offsets of the variable-length fields, then the end of the data.
    std::size_t varCount = 0;
    std::size_t tableStart = 0;
    const auto offset = [&](std::size_t i) -> std::size_t {
        return jet3_ ? jet3VarOffsets_[i] : row.u16(dataEnd - 4 - 2 * i);
    };
    if (jet3_) {
        try {
            if (!readJet3VarOffsets(row, nullMaskSize)) return false;
        } catch (const FormatError&) {
            return false;
        }
        varCount = jet3VarOffsets_.size() - 1;
        // Entry 0 lies before the null mask, the count and the jump table, filler included.
        tableStart = row.size() - 2 - nullMaskSize - (row.size() - 1) / 256 - varCount;
    } else {
        if (dataEnd < countSize + 4) return false;
        varCount = row.u16(dataEnd - 2);
        if (varCount > columnCount || dataEnd < countSize + 4 + 2 * varCount) return false;
        tableStart = dataEnd - 4 - 2 * varCount;
    }
    if (varCount > columnCount || offset(varCount) != tableStart || offset(0) < fixedEnd)
        return false;
    for (std::size_t i = 1; i <= varCount; ++i)
        if (offset(i) < offset(i - 1)) return false;
    for (const Slot& s : slots_)
        if (!s.fixed && s.number < columnCount && s.varIndex >= varCount) return false;
    return true;
}

void RowLayout::split(ByteSpan row, std::vector<Field>& fields) const {
    fields.resize(slots_.size());
    const std::size_t countSize = jet3_ ? 1 : 2;
    const std::size_t columnCount = jet3_ ? row.u8(0) : row.u16(0);
    const std::size_t nullMaskSize = (columnCount + 7) / 8;
    if (row.size() < countSize + nullMaskSize)
        throw FormatError("a row is shorter than its header");
    const std::uint8_t* nullMask = row.data() + row.size() - nullMaskSize;

    std::size_t varCount = 0;
    std::size_t dataEnd = row.size() - nullMaskSize;  // fields lie before the offset table
    if (hasVarColumns_) {
        if (jet3_) {
            readJet3VarOffsets(row, nullMaskSize);
            varCount = jet3VarOffsets_.size() - 1;
        } else {
            if (dataEnd < 2) throw FormatError("a row is shorter than its header");
            varCount = row.u16(dataEnd - 2);
            if (dataEnd < 4 + 2 * varCount) throw FormatError("a row is too short for its offsets");
            dataEnd -= 4 + 2 * varCount;
        }
    }

    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const Slot& s = slots_[i];
        Field& field = fields[i];
        field.bytes = ByteSpan();
        field.present = s.number < columnCount && (nullMask[s.number / 8] >> (s.number % 8) & 1);
        if (!field.present || s.boolean) continue;
        if (s.fixed) {
            if (s.fixedOffset > dataEnd || s.fixedSize > dataEnd - s.fixedOffset)
                throw FormatError("a fixed-length field reaches past the end of its row");
            field.bytes = ByteSpan(row.data() + s.fixedOffset, s.fixedSize);
            continue;
        }
        if (s.varIndex >= varCount) {  // the column is newer than the row
            field.present = false;
            continue;
        }
        std::size_t start, end;
        if (jet3_) {
            start = jet3VarOffsets_[s.varIndex];
            end = jet3VarOffsets_[s.varIndex + 1];
        } else {
            const std::size_t entry = row.size() - nullMaskSize - 4 - 2 * std::size_t{s.varIndex};
            start = row.u16(entry);
            end = row.u16(entry - 2);
        }
        if (start > end || end > dataEnd)
            throw FormatError("a variable-length field has offsets outside its row");
        field.bytes = ByteSpan(row.data() + start, end - start);
    }
}

}  // namespace velmora::access
