#include "access/DataPage.h"

#include <string>

namespace velmora::access {

namespace {
constexpr std::uint16_t kOffsetMask = 0x1FFF;
constexpr std::uint16_t kDeletedFlag = 0x8000;
constexpr std::uint16_t kOverflowFlag = 0x4000;
}  // namespace

std::uint16_t rowSlotCount(ByteSpan page, const JetFormat& format) {
    const std::uint16_t count = page.u16(format.dataRowCount);
    if (!page.covers(format.dataRowOffsets(), std::size_t{count} * 2))
        throw FormatError("a data page claims more rows than fit on it");
    return count;
}

RowSlot rowSlot(ByteSpan page, const JetFormat& format, unsigned row) {
    const std::size_t table = format.dataRowOffsets();
    const std::uint16_t raw = page.u16(table + 2 * row);
    RowSlot slot;
    slot.start = raw & kOffsetMask;
    slot.end = row == 0 ? page.size() : (page.u16(table + 2 * (row - 1)) & kOffsetMask);
    slot.deleted = (raw & kDeletedFlag) != 0;
    slot.overflow = (raw & kOverflowFlag) != 0;
    if (!slot.deleted) {
        const std::size_t rowArea = table + 2 * std::size_t{rowSlotCount(page, format)};
        if (slot.start < rowArea || slot.start > slot.end || slot.end > page.size())
            throw FormatError("row " + std::to_string(row) +
                              " of a data page has offsets outside the page");
    }
    return slot;
}

bool rowBoundsTrusted(ByteSpan page, const JetFormat& format, unsigned row) {
    const std::size_t table = format.dataRowOffsets();
    const unsigned count = rowSlotCount(page, format);
    const std::size_t rowArea = table + 2 * std::size_t{count};
    const auto start = [&](long slot) -> std::size_t {
        if (slot < 0) return page.size();
        if (slot >= static_cast<long>(count)) return rowArea;
        return page.u16(table + 2 * static_cast<std::size_t>(slot)) & kOffsetMask;
    };
    // Slot i is in order when rowArea <= start(i+1) <= start(i) <= start(i-1) <= page end.
    const auto inOrder = [&](long slot) {
        const std::size_t s = start(slot);
        return s >= rowArea && s <= start(slot - 1) && start(slot + 1) <= s;
    };
    const long r = static_cast<long>(row);
    return inOrder(r) && (r == 0 || inOrder(r - 1));
}

}  // namespace velmora::access
