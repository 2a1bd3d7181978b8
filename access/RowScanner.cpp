#include "access/RowScanner.h"

#include <algorithm>

namespace velmora::access {

namespace {
// Access moves a grown row at most once; a longer chain is a damaged file.
constexpr int kMaxOverflowHops = 8;
}  // namespace

RowScanner::RowScanner(const PageFile& file, const TableDefinition& table,
                       const IndexLeaves* indexes, PlanHandover* handover)
    : file_(file),
      table_(table),
      indexes_(indexes),
      layout_(file.format(), table),
      handover_(handover) {}

void RowScanner::plan() {
    if (plan_) return;
    if (handover_ != nullptr) plan_ = handover_->take(table_.page);
    if (plan_) return;
    plan_ = RowPlan::make(file_, table_, indexes_);
    if (handover_ != nullptr) handover_->keep(table_.page, *plan_);
}

std::int64_t RowScanner::rowCount() {
    plan();
    return plan_->rowCount;
}

void RowScanner::report(const db::LostRows& loss) {
    lost_.push_back(loss);
    lastLostRowPage_ = 0;
}

void RowScanner::loseRow(const std::string& reason, bool ofThisRow) {
    // Rows lost one after another on one page, or all for one reason that is not theirs,
    // make one loss.
    const std::uint32_t page = ofThisRow ? current_->number : 0;
    const std::string text =
        ofThisRow ? "data page " + std::to_string(page) + ": " + reason : reason;
    if (!lost_.empty() && lost_.back().countKnown &&
        lost_.back().first + lost_.back().count == position_ &&
        (ofThisRow ? lastLostRowPage_ == page : lost_.back().reason == text)) {
        ++lost_.back().count;
        return;
    }
    db::LostRows loss;
    loss.first = position_;
    loss.count = 1;
    loss.reason = text;
    lost_.push_back(std::move(loss));
    lastLostRowPage_ = page;
}

bool RowScanner::loadNextPage() {
    while (nextPage_ < plan_->pages.size()) {
        const RowPlan::Page& p = plan_->pages[nextPage_++];
        if (!p.read) {
            if (p.leadsLoss) report(plan_->losses[static_cast<std::size_t>(p.loss)]);
            continue;
        }
        if (p.rows == 0) continue;
        std::size_t slots = 0;
        try {
            held_ = file_.readHeld(p.number, page_);
            const auto count = plan_->slotCounts.find(p.number);
            rows_.emplace(
                ByteSpan(page_.data(), page_.size()), file_.format(),
                count == plan_->slotCounts.end() ? std::nullopt : std::optional(count->second));
            slots = rows_->count();
        } catch (const FormatError& e) {  // the file changed since the walk was planned
            db::LostRows loss;
            loss.first = p.first;
            loss.count = p.rows;
            loss.reason = "data page " + std::to_string(p.number) + ": " + e.what();
            report(loss);
            continue;
        }
        const auto uses = plan_->slotUses.find(p.number);
        uses_ = uses == plan_->slotUses.end() ? nullptr : &uses->second;
        slots_ = static_cast<unsigned>(uses_ ? std::max(slots, uses_->size()) : slots);
        current_ = &p;
        slot_ = 0;
        rowOnPage_ = 0;
        return true;
    }
    for (const db::LostRows& loss : plan_->tailLoss) report(loss);
    plan_->tailLoss.clear();
    return false;
}

ByteSpan RowScanner::resolveOverflow(RowSlot slot) {
    ByteSpan page(page_.data(), page_.size());
    for (int hop = 0; hop < kMaxOverflowHops; ++hop) {
        const ByteSpan pointer = page.sub(slot.start, slot.end - slot.start);
        const unsigned row = pointer.u8(0);
        const std::uint32_t target = pointer.u24(1);
        file_.read(target, overflowPage_);
        page = ByteSpan(overflowPage_.data(), overflowPage_.size());
        if (page.u8(0) != page_type::kData)
            throw FormatError("a moved row points to page " + std::to_string(target) +
                              ", which does not hold it");
        const RowTable rows(page, file_.format());
        if (rows.countDamaged() || row >= rows.count())
            throw FormatError("a moved row points to page " + std::to_string(target) +
                              ", which does not hold it");
        slot = rows.slot(row);
        slot.deleted = false;  // moved rows are flagged deleted so that scans skip them
        if (slot.start > slot.end || slot.end > page.size())
            throw FormatError("a moved row on page " + std::to_string(target) + " is damaged");
        if (!rows.boundsTrusted(row) &&
            (slot.overflow || !layout_.boundsProven(page.sub(slot.start, slot.end - slot.start))))
            throw FormatError("a moved row on page " + std::to_string(target) +
                              " has damaged bounds");
        if (!slot.overflow) return page.sub(slot.start, slot.end - slot.start);
    }
    throw FormatError("a moved row points on and on without reaching its data");
}

bool RowScanner::next() {
    plan();
    for (;;) {
        while (current_ != nullptr && slot_ < slots_ && rowOnPage_ < current_->rows) {
            const ByteSpan page(page_.data(), page_.size());
            const unsigned index = slot_++;
            const SlotUse use = uses_ == nullptr        ? SlotUse::Row
                                : index < uses_->size() ? (*uses_)[index]
                                                        : SlotUse::Skip;
            if (use == SlotUse::Skip) continue;
            RowSlot slot;
            const SlotState state = index < rows_->count()
                                        ? slotState(*rows_, layout_, index, held_, slot)
                                        : SlotState::Empty;
            if (use == SlotUse::Row && state == SlotState::Empty) continue;
            position_ = current_->first + rowOnPage_++;
            if (use == SlotUse::Lost) {
                loseRow("the table's index lists row " + std::to_string(index) +
                        " of the page, which no longer holds it");
                continue;
            }
            if (state == SlotState::Damaged) {
                loseRow(slot.end > held_ && slot.start <= slot.end && slot.end <= page.size() &&
                                rows_->boundsTrusted(index)
                            ? "the row lies past the end of the file"
                            : "the row's place in the page's row table is damaged");
                continue;
            }
            if (!slot.overflow) {
                row_ = page.sub(slot.start, slot.end - slot.start);
                return true;
            }
            try {
                row_ = resolveOverflow(slot);
                return true;
            } catch (const FormatError& e) {
                loseRow(e.what());
            }
        }
        current_ = nullptr;
        if (!loadNextPage()) return nextStray();
    }
}

// A moved row whose place was lost with its pointer's page: read where it was moved to,
// after the table's last place.
bool RowScanner::nextStray() {
    while (stray_ < plan_->strays.size()) {
        const RowPointer& at = plan_->strays[stray_];
        position_ = plan_->rowCount + static_cast<std::int64_t>(stray_++);
        strayPage_.number = at.page;
        current_ = &strayPage_;
        slots_ = 0;
        try {
            const std::size_t held = file_.readHeld(at.page, page_);
            const RowTable rows(ByteSpan(page_.data(), page_.size()), file_.format());
            if (at.row >= rows.count()) throw FormatError("the row is gone");
            const RowSlot slot = rows.slot(at.row);
            const ByteSpan bytes =
                slot.start < slot.end && slot.end <= held
                    ? ByteSpan(page_.data(), page_.size()).sub(slot.start, slot.end - slot.start)
                    : ByteSpan();
            if (bytes.size() == 0 || !layout_.boundsProven(bytes))
                throw FormatError("the row is gone");
            row_ = bytes;
            return true;
        } catch (const FormatError& e) {  // the file changed since the walk was planned
            loseRow(std::string("a moved row: ") + e.what());
        }
    }
    return false;
}

}  // namespace velmora::access
