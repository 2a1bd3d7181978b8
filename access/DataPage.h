#pragma once
// Row slots of a data page: a row count, then one 16-bit offset per row. Rows are
// stored from the end of the page backwards, so a row ends where the previous one
// starts. The top bits of an offset flag a deleted row and an overflow pointer.

#include <cstdint>

#include "access/ByteSpan.h"
#include "access/JetFormat.h"

namespace velmora::access {

struct RowSlot {
    std::size_t start = 0;
    std::size_t end = 0;  // one past the last byte
    bool deleted = false;
    bool overflow = false;  // the row holds a pointer to its data elsewhere
};

// Number of row slots; throws FormatError when the offset table does not fit the page.
std::uint16_t rowSlotCount(ByteSpan page, const JetFormat& format);

// Slot `row` (< rowSlotCount). Live slots are checked to lie inside the row area.
RowSlot rowSlot(ByteSpan page, const JetFormat& format, unsigned row);

// Whether the bounds of row `row` can be trusted: Access keeps every slot, deleted ones
// too, inside the row area and no later than the slot before it, so a slot that breaks
// that order with a neighbour is damaged, and so are the rows it starts or ends.
bool rowBoundsTrusted(ByteSpan page, const JetFormat& format, unsigned row);

}  // namespace velmora::access
