#include "access/RowScanner.h"

#include <algorithm>

namespace velmora::access {

namespace {
// Access moves a grown row at most once; a longer chain is a damaged file.
constexpr int kMaxOverflowHops = 8;
// Page 0 is the file header, page 1 the global usage map.
constexpr std::uint32_t kFirstTablePage = 2;

enum class SlotState { Empty, Row, Damaged };

// A slot whose offsets leave the page, or the part of it the file holds, still holds a
// row: it keeps its place, lost.
SlotState slotState(ByteSpan page, const JetFormat& format, unsigned index, std::size_t held,
                    RowSlot& slot) {
    try {
        slot = rowSlot(page, format, index);
    } catch (const FormatError&) {
        return SlotState::Damaged;
    }
    if (slot.deleted || slot.end <= slot.start) return SlotState::Empty;
    return slot.end > held ? SlotState::Damaged : SlotState::Row;
}

// The rows of a page of a cut-short file need its row table, at least.
bool holdsRowTable(ByteSpan page, const JetFormat& format, std::size_t held) {
    return held >= format.dataRowOffsets() &&
           held >= format.dataRowOffsets() + 2 * std::size_t{page.u16(format.dataRowCount)};
}

}  // namespace

RowScanner::RowScanner(const PageFile& file, const TableDefinition& table, bool countIsKept)
    : file_(file),
      tablePage_(table.page),
      storedRowCount_(table.storedRowCount),
      countIsKept_(countIsKept),
      map_(table.ownedPages) {}

RowScanner::PlannedPage RowScanner::check(std::uint32_t number, std::string& detail) {
    PlannedPage planned;
    planned.number = number;
    if (number >= file_.pagesHeld()) {
        planned.fault = Fault::PastEnd;
        return planned;
    }
    try {
        const std::size_t held = file_.readHeld(number, page_);
        const ByteSpan bytes(page_.data(), page_.size());
        if (held < bytes.size() && !holdsRowTable(bytes, file_.format(), held)) {
            planned.fault = Fault::PastEnd;
            return planned;
        }
        if (bytes.u8(0) != page_type::kData || bytes.u32(4) != tablePage_) {
            planned.fault = Fault::Foreign;
            return planned;
        }
        const std::uint16_t slots = rowSlotCount(bytes, file_.format());
        checkRowTable(bytes, file_.format());
        RowSlot slot;
        for (unsigned i = 0; i < slots; ++i)
            if (slotState(bytes, file_.format(), i, held, slot) != SlotState::Empty) ++planned.rows;
    } catch (const FormatError& e) {
        planned.fault = Fault::Damaged;
        detail = e.what();
    }
    return planned;
}

void RowScanner::plan() {
    if (planned_) return;
    planned_ = true;
    OwnedPages pages(file_, map_);
    std::vector<std::string> details;  // what is wrong with each damaged page, by page
    bool suspect = false;              // the map names a page that is not the table's
    std::uint32_t number = 0;
    while (pages.next(number)) {
        // A search meets every page of the file; only the table's own are kept, and not
        // those it gave back.
        if (pages.searched() && isFree(number)) continue;
        std::string detail;
        PlannedPage planned = check(number, detail);
        if (planned.fault == Fault::Foreign && pages.searched()) continue;
        suspect = suspect || planned.fault == Fault::Foreign;
        if (planned.fault == Fault::Damaged) details.push_back(std::move(detail));
        plan_.push_back(planned);
    }
    std::int64_t found = 0;
    bool faults = false;
    for (const PlannedPage& p : plan_) {
        found += p.rows;
        faults = faults || p.fault != Fault::None;
    }
    // Fewer rows than counted, where the map was read whole: it may have lost a page
    // (a cleared bit) or named a wrong one. The file is searched for the table's pages it
    // does not name; pages past the end of a short file need no search.
    if (found < storedRowCount_ && pages.damage().empty() && (suspect || !faults))
        searchUnnamedPages();
    countLostPages(details);
}

void RowScanner::searchUnnamedPages() {
    std::vector<std::uint32_t> named;
    for (const PlannedPage& p : plan_) named.push_back(p.number);
    std::sort(named.begin(), named.end());
    std::vector<PlannedPage> found;
    for (std::uint32_t number = kFirstTablePage; number < file_.pagesHeld(); ++number) {
        if (std::binary_search(named.begin(), named.end(), number) || isFree(number)) continue;
        std::string detail;
        const PlannedPage planned = check(number, detail);
        if (planned.fault == Fault::None && planned.rows > 0) found.push_back(planned);
    }
    if (found.empty()) return;
    std::vector<PlannedPage> merged;
    std::merge(plan_.begin(), plan_.end(), found.begin(), found.end(), std::back_inserter(merged),
               [](const PlannedPage& a, const PlannedPage& b) { return a.number < b.number; });
    plan_ = std::move(merged);
}

// Groups the pages that cannot be read into losses (a run of them, not parted by a page
// with rows), and counts to them the rows the definition counts beyond those found,
// shared by their number of pages; then numbers every page's rows.
void RowScanner::countLostPages(const std::vector<std::string>& details) {
    struct Run {
        std::size_t lead = 0;
        std::uint32_t pages = 0, pastEnd = 0, foreign = 0;
        std::uint32_t lowest = UINT32_MAX, highest = 0;
        std::string firstDetail;
        Fault firstFault = Fault::None;
        std::uint32_t firstPage = 0;
    };
    std::vector<Run> runs;
    std::int64_t found = 0;
    std::size_t detailAt = 0;
    bool inRun = false;
    for (std::size_t i = 0; i < plan_.size(); ++i) {
        PlannedPage& p = plan_[i];
        if (p.fault == Fault::None) {
            found += p.rows;
            if (p.rows > 0) inRun = false;
            continue;
        }
        if (!inRun) {
            runs.push_back(Run{});
            runs.back().lead = i;
            runs.back().firstFault = p.fault;
            runs.back().firstPage = p.number;
            inRun = true;
        }
        Run& run = runs.back();
        ++run.pages;
        run.pastEnd += p.fault == Fault::PastEnd;
        run.foreign += p.fault == Fault::Foreign;
        run.lowest = std::min(run.lowest, p.number);
        run.highest = std::max(run.highest, p.number);
        if (p.fault == Fault::Damaged) {
            if (run.firstDetail.empty() && detailAt < details.size())
                run.firstDetail = details[detailAt];
            ++detailAt;
        }
        p.loss = static_cast<int>(runs.size() - 1);
    }

    const std::int64_t missing = static_cast<std::int64_t>(storedRowCount_) - found;
    std::uint64_t pagesInRuns = 0;
    for (const Run& run : runs) pagesInRuns += run.pages;
    std::vector<int> lossOfRun(runs.size(), -1);
    std::uint64_t pagesSoFar = 0;
    std::int64_t countedSoFar = 0;
    int runsWithLoss = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Run& run = runs[r];
        pagesSoFar += run.pages;
        db::LostRows loss;
        if (missing > 0) {
            // Shared by number of pages: exact when there is one run, as there is for a
            // short file or one damaged page.
            const std::int64_t upTo = static_cast<std::int64_t>(
                static_cast<long double>(missing) * pagesSoFar / pagesInRuns + 0.5L);
            loss.count = upTo - countedSoFar;
            countedSoFar = upTo;
            if (loss.count == 0) continue;
        } else if (run.foreign == run.pages) {
            continue;  // pages the table gave back, with no rows missing
        } else {
            loss.countKnown = false;
        }
        loss.pagesMissing = run.pastEnd;
        const std::string span =
            " (pages " + std::to_string(run.lowest) + " to " + std::to_string(run.highest) + ")";
        if (run.pastEnd == run.pages)
            loss.reason =
                run.pages == 1
                    ? "data page " + std::to_string(run.lowest) + " lies past the end of the file"
                    : std::to_string(run.pages) + " data pages lie past the end of the file" + span;
        else {
            std::string first;
            const std::string page = std::to_string(run.firstPage);
            switch (run.firstFault) {
                case Fault::PastEnd:
                    first = "data page " + page + " lies past the end of the file";
                    break;
                case Fault::Foreign:
                    first = "page " + page +
                            ", which the table's usage map names, is not one of its data pages";
                    break;
                default:
                    first = "data page " + page + " is damaged (" + run.firstDetail + ")";
                    break;
            }
            loss.reason = run.pages == 1
                              ? first
                              : std::to_string(run.pages) + " of its pages cannot be read" + span +
                                    "; the first: " + first;
        }
        lossOfRun[r] = static_cast<int>(losses_.size());
        losses_.push_back(std::move(loss));
        ++runsWithLoss;
    }
    if (runsWithLoss > 1 && missing > 0)
        for (db::LostRows& loss : losses_)
            loss.reason += "; the " + std::to_string(missing) +
                           " rows lost on the table's damaged pages are shared among them by "
                           "their number of pages";

    std::int64_t place = 0;
    for (std::size_t i = 0; i < plan_.size(); ++i) {
        PlannedPage& p = plan_[i];
        p.first = place;
        if (p.loss < 0) {
            place += p.rows;
            continue;
        }
        const Run& run = runs[static_cast<std::size_t>(p.loss)];
        p.loss = lossOfRun[static_cast<std::size_t>(p.loss)];
        p.rows = 0;
        if (p.loss >= 0 && run.lead == i) {
            p.leadsLoss = true;
            losses_[static_cast<std::size_t>(p.loss)].first = place;
            if (losses_[static_cast<std::size_t>(p.loss)].countKnown)
                place += losses_[static_cast<std::size_t>(p.loss)].count;
        }
    }
    if (runs.empty() && countIsKept_ && missing > 0) {
        db::LostRows loss;
        loss.first = place;
        loss.count = missing;
        loss.reason = "the table's definition counts " + std::to_string(storedRowCount_) +
                      " rows, but its pages hold " + std::to_string(found);
        place += missing;
        tailLoss_.push_back(std::move(loss));
    }
    rowCount_ = place;
}

bool RowScanner::isFree(std::uint32_t page) {
    if (!freePages_) freePages_ = freePages(file_).value_or(std::unordered_set<std::uint32_t>{});
    return freePages_->count(page) > 0;
}

std::int64_t RowScanner::rowCount() {
    plan();
    return rowCount_;
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
    while (nextPlanned_ < plan_.size()) {
        const PlannedPage& p = plan_[nextPlanned_++];
        if (p.loss >= 0) {
            if (p.leadsLoss) report(losses_[static_cast<std::size_t>(p.loss)]);
            continue;
        }
        if (p.fault != Fault::None || p.rows == 0) continue;
        try {
            held_ = file_.readHeld(p.number, page_);
            slotCount_ = rowSlotCount(ByteSpan(page_.data(), page_.size()), file_.format());
        } catch (const FormatError& e) {  // the file changed since the walk was planned
            db::LostRows loss;
            loss.first = p.first;
            loss.count = p.rows;
            loss.reason = "data page " + std::to_string(p.number) + ": " + e.what();
            report(loss);
            continue;
        }
        current_ = &p;
        slot_ = 0;
        rowOnPage_ = 0;
        return true;
    }
    for (const db::LostRows& loss : tailLoss_) report(loss);
    tailLoss_.clear();
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
        if (page.u8(0) != page_type::kData || row >= rowSlotCount(page, file_.format()))
            throw FormatError("a moved row points to page " + std::to_string(target) +
                              ", which does not hold it");
        checkRowTable(page, file_.format());
        slot = rowSlot(page, file_.format(), row);
        slot.deleted = false;  // moved rows are flagged deleted so that scans skip them
        if (slot.start > slot.end || slot.end > page.size())
            throw FormatError("a moved row on page " + std::to_string(target) + " is damaged");
        if (!slot.overflow) return page.sub(slot.start, slot.end - slot.start);
    }
    throw FormatError("a moved row points on and on without reaching its data");
}

bool RowScanner::next() {
    plan();
    for (;;) {
        while (current_ != nullptr && slot_ < slotCount_ && rowOnPage_ < current_->rows) {
            const ByteSpan page(page_.data(), page_.size());
            RowSlot slot;
            const SlotState state = slotState(page, file_.format(), slot_++, held_, slot);
            if (state == SlotState::Empty) continue;
            position_ = current_->first + rowOnPage_++;
            if (state == SlotState::Damaged) {
                loseRow(slot.end > held_ && slot.start <= slot.end && slot.end <= page.size()
                            ? "the row lies past the end of the file"
                            : "the row's offsets lie outside the page");
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
        if (!loadNextPage()) return false;
    }
}

}  // namespace velmora::access
