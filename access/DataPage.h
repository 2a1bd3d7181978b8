#pragma once
// The row table of a data page: a row count, then one 16-bit offset per row. Rows are
// stored from the end of the page backwards, so a row ends where the previous one
// starts. The top bits of an offset flag a deleted row and an overflow pointer.
//
// Access keeps every offset, deleted ones too, inside the row area and no later than the
// one before it. That order tells damage apart: a slot out of order with its neighbours
// is damaged, and so are the bounds of the rows it starts and ends; a row count whose
// table would reach into the rows its own first slots bound is itself damaged.

#include <cstdint>
#include <optional>

#include "access/ByteSpan.h"
#include "access/JetFormat.h"

namespace velmora::access {

struct RowSlot {
    std::size_t start = 0;
    std::size_t end = 0;  // one past the last byte
    bool deleted = false;
    bool overflow = false;  // the row holds a pointer to its data elsewhere
};

class RowTable {
  public:
    // `count`: the number of slots, in place of the page's own count (an index told it).
    RowTable(ByteSpan page, const JetFormat& format, std::optional<unsigned> count = {});

    // The slots; none when the page's count is damaged and no count was given.
    unsigned count() const { return count_; }
    // The page's count is damaged: its table would not fit the page, or would reach into
    // the rows of its first slots.
    bool countDamaged() const { return countDamaged_; }
    unsigned statedCount() const { return stated_; }
    // The first slots that are in order and end before the rows they bound: the table a
    // damaged count most likely stands for.
    unsigned soundCount() const { return sound_; }

    // Slot `row` (< count). Live slots are checked to lie inside the row area. Read for
    // every row: built in place by the caller.
    RowSlot slot(unsigned row) const {
        const std::uint16_t raw = page_.u16(table_ + 2 * std::size_t{row});
        RowSlot slot;
        slot.start = raw & kOffsetMask;
        slot.end = offset(static_cast<long>(row) - 1, count_);
        slot.deleted = (raw & kDeletedFlag) != 0;
        slot.overflow = (raw & kOverflowFlag) != 0;
        if (!slot.deleted && (slot.start < table_ + 2 * std::size_t{count_} ||
                              slot.start > slot.end || slot.end > page_.size()))
            outsidePage(row);
        return slot;
    }
    // Whether row `row`'s bounds can be trusted: neither the slot that starts it nor the
    // one that ends it is out of order with its neighbours.
    bool boundsTrusted(unsigned row) const {
        return inOrder_ || (startTrusted(row) && endTrusted(row));
    }
    bool startTrusted(unsigned row) const;
    bool endTrusted(unsigned row) const;
    ByteSpan page() const { return page_; }

  private:
    static constexpr std::uint16_t kOffsetMask = 0x1FFF;
    static constexpr std::uint16_t kDeletedFlag = 0x8000;
    static constexpr std::uint16_t kOverflowFlag = 0x4000;

    std::size_t offset(long slot, unsigned count) const {
        if (slot < 0) return page_.size();
        if (slot >= static_cast<long>(count)) return table_ + 2 * std::size_t{count};
        return page_.u16(table_ + 2 * static_cast<std::size_t>(slot)) & kOffsetMask;
    }
    bool damaged(long slot, unsigned count) const;
    [[noreturn]] static void outsidePage(unsigned row);

    ByteSpan page_;
    std::size_t table_;  // where the offsets start
    unsigned stated_ = 0;
    unsigned sound_ = 0;
    unsigned count_ = 0;
    bool countDamaged_ = false;
    // Every offset lies in the row area, each no later than the one before: no slot is
    // damaged, as on nearly every page, and none needs its neighbours checked.
    bool inOrder_ = false;
};

}  // namespace velmora::access
