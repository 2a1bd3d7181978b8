#include "access/RowScanner.h"

#include "access/DataPage.h"

namespace velmora::access {

namespace {
// Access moves a grown row at most once; a longer chain is a damaged file.
constexpr int kMaxOverflowHops = 8;
}  // namespace

RowScanner::RowScanner(const PageFile& file, const TableDefinition& table)
    : file_(file), tablePage_(table.page), pages_(file, table.ownedPages) {}

bool RowScanner::loadNextPage() {
    std::uint32_t number = 0;
    while (pages_.next(number)) {
        file_.read(number, page_);
        const ByteSpan bytes(page_.data(), page_.size());
        // Usage maps may still name pages the table gave back; only its own data pages count.
        if (bytes.u8(0) != page_type::kData || bytes.u32(4) != tablePage_) continue;
        slotCount_ = rowSlotCount(bytes, file_.format());
        slot_ = 0;
        return true;
    }
    slotCount_ = 0;
    slot_ = 0;
    return false;
}

bool RowScanner::nextSlot(RowSlot& slot) {
    for (;;) {
        while (slot_ < slotCount_) {
            slot = rowSlot(ByteSpan(page_.data(), page_.size()), file_.format(), slot_++);
            if (!slot.deleted && slot.end > slot.start) return true;
        }
        if (!loadNextPage()) return false;
    }
}

ByteSpan RowScanner::resolveOverflow(RowSlot slot) {
    ByteSpan page(page_.data(), page_.size());
    for (int hop = 0; hop < kMaxOverflowHops; ++hop) {
        const ByteSpan pointer = page.sub(slot.start, slot.end - slot.start);
        const unsigned row = pointer.u8(0);
        const std::uint32_t target = pointer.u24(1);
        file_.read(target, overflowPage_);
        page = ByteSpan(overflowPage_.data(), overflowPage_.size());
        if (page.u8(0) != page_type::kData || row >= rowSlotCount(page, file_.format()))
            throw FormatError("a moved row points to page " + std::to_string(target) +
                              ", which does not hold it");
        slot = rowSlot(page, file_.format(), row);
        slot.deleted = false;  // moved rows are flagged deleted so that scans skip them
        if (slot.start > slot.end || slot.end > page.size())
            throw FormatError("a moved row on page " + std::to_string(target) + " is damaged");
        if (!slot.overflow) return page.sub(slot.start, slot.end - slot.start);
    }
    throw FormatError("a moved row points on and on without reaching its data");
}

bool RowScanner::next() {
    RowSlot slot;
    if (!nextSlot(slot)) return false;
    row_ = slot.overflow ? resolveOverflow(slot)
                         : ByteSpan(page_.data() + slot.start, slot.end - slot.start);
    return true;
}

std::int64_t RowScanner::countRows(const PageFile& file, const TableDefinition& table) {
    RowScanner scanner(file, table);
    std::int64_t count = 0;
    RowSlot slot;
    while (scanner.nextSlot(slot)) ++count;
    return count;
}

}  // namespace velmora::access
