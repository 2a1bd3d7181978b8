#pragma once
// Splits a stored row into its fields. A row holds its column count, the fixed-length
// fields at their offsets, the variable-length fields, a table of their offsets
// (stored backwards from the end; Jet3 uses one-byte offsets plus a "jump table" for
// rows longer than 256 bytes) and, at the very end, the null mask: one bit per column
// number, set when the field has a value. Yes/No fields live in that bit alone.

#include <cstdint>
#include <vector>

#include "access/ByteSpan.h"
#include "access/JetFormat.h"
#include "access/TableDefinition.h"

namespace velmora::access {

struct Field {
    bool present = false;  // not NULL (for Yes/No: the value itself)
    ByteSpan bytes;
};

class RowLayout {
  public:
    RowLayout(const JetFormat& format, const TableDefinition& table);

    // Fills `fields`, one per column of the table in its column order. Throws
    // FormatError when the row's own offsets contradict its length.
    void split(ByteSpan row, std::vector<Field>& fields) const;

    // Bytes a fixed-length field of this column occupies.
    static std::size_t fixedSize(const ColumnDefinition& column);

  private:
    struct Slot {
        std::uint16_t number;
        std::uint16_t varIndex;
        std::uint32_t fixedOffset;  // from the row start, past the column count
        std::uint32_t fixedSize;
        bool fixed;
        bool boolean;
    };
    void readJet3VarOffsets(ByteSpan row, std::size_t nullMaskSize) const;

    bool jet3_;
    bool hasVarColumns_;
    std::vector<Slot> slots_;
    mutable std::vector<std::uint32_t> jet3VarOffsets_;
};

}  // namespace velmora::access
