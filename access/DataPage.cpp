#include "access/DataPage.h"

#include <algorithm>
#include <string>

namespace velmora::access {

RowTable::RowTable(ByteSpan page, const JetFormat& format, std::optional<unsigned> count)
    : page_(page), table_(format.dataRowOffsets()), stated_(page.u16(format.dataRowCount)) {
    const unsigned fit =
        page.size() > table_ ? static_cast<unsigned>((page.size() - table_) / 2) : 0;
    const unsigned limit = std::min(stated_, fit);
    while (sound_ < limit && offset(sound_, limit) <= offset(static_cast<long>(sound_) - 1, limit))
        ++sound_;
    while (sound_ > 0 && offset(sound_ - 1, limit) < table_ + 2 * std::size_t{sound_}) --sound_;
    // Past the first slots in order, the slots of a sound count are rows after a damaged
    // slot: most lie past the table. A damaged count reads the free space or the rows'
    // bytes as slots instead, or its table reaches into the rows.
    unsigned plausible = 0;
    for (unsigned i = sound_; i < limit; ++i) {
        const std::size_t at = offset(i, limit);
        plausible += at >= table_ + 2 * std::size_t{stated_} && at <= page.size();
    }
    countDamaged_ =
        stated_ > fit || (sound_ > 0 && sound_ < stated_ &&
                          (table_ + 2 * std::size_t{stated_} > offset(sound_ - 1, limit) ||
                           2 * plausible <= stated_ - sound_));
    count_ = count ? std::min(*count, fit) : countDamaged_ ? 0 : stated_;
    const std::size_t rowArea = table_ + 2 * std::size_t{count_};
    std::size_t previous = page.size();
    inOrder_ = true;
    for (unsigned i = 0; i < count_ && inOrder_; ++i) {
        const std::size_t at = page.u16(table_ + 2 * std::size_t{i}) & kOffsetMask;
        inOrder_ = at >= rowArea && at <= previous;
        previous = at;
    }
}

void RowTable::outsidePage(unsigned row) {
    throw FormatError("row " + std::to_string(row) +
                      " of a data page has offsets outside the page");
}

// A slot is damaged when it lies outside the row area, or breaks the order with a
// neighbour and is the one to blame: the one whose removal restores the order. Where either
// of the two would do, both are.
bool RowTable::damaged(long slot, unsigned count) const {
    const auto at = [&](long i) { return offset(i, count); };
    const std::size_t start = at(slot);
    if (start < table_ + 2 * std::size_t{count} || start > page_.size()) return true;
    if (at(slot - 1) < start && (at(slot - 1) >= at(slot + 1) || at(slot - 2) < start)) return true;
    return start < at(slot + 1) && (at(slot - 1) >= at(slot + 1) || start < at(slot + 2));
}

bool RowTable::startTrusted(unsigned row) const {
    return inOrder_ || !damaged(static_cast<long>(row), count_);
}

bool RowTable::endTrusted(unsigned row) const {
    return inOrder_ || row == 0 || !damaged(static_cast<long>(row) - 1, count_);
}

}  // namespace velmora::access
