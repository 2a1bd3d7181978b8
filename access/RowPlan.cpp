#include "access/RowPlan.h"

#include <algorithm>
#include <set>

#include "access/DataPage.h"

namespace velmora::access {

namespace {

// Page 0 is the file header, page 1 the global usage map.
constexpr std::uint32_t kFirstTablePage = 2;
// An index is trusted when it disagrees with at most this many of the table's readable
// pages (the damaged ones), and agrees with four times as many.
constexpr std::size_t kMostDisagreements = 2;
// One damaged slot leaves at most four rows without trusted bounds (see DataPage.h); more
// mean the row table itself is damaged (its row count, say), and no slot of it is a row.
constexpr unsigned kMostUntrustedSlots = 4;

enum class Fault : std::uint8_t { None, PastEnd, Damaged, Foreign };

struct Checked {
    RowPlan::Page page;
    Fault fault = Fault::None;
    bool counted = false;       // a page not read, whose rows an index counted
    bool countDamaged = false;  // its row count is damaged (an index may tell its rows)
};

// The rows of a page of a cut-short file need its row table, at least.
bool holdsRowTable(ByteSpan page, const JetFormat& format, std::size_t held) {
    return held >= format.dataRowOffsets() &&
           held >= format.dataRowOffsets() + 2 * std::size_t{page.u16(format.dataRowCount)};
}

class Planner {
  public:
    Planner(const PageFile& file, const TableDefinition& table, const IndexLeaves* indexes)
        : file_(file),
          tablePage_(table.page),
          storedRowCount_(table.storedRowCount),
          indexes_(indexes),
          map_(table.ownedPages),
          layout_(file.format(), table) {}

    RowPlan make() {
        OwnedPages owned(file_, map_);
        bool suspect = false;  // the map names a page that is not the table's
        for (std::uint32_t number = 0; owned.next(number);) {
            // A search meets every page of the file; only the table's own are kept, and not
            // those it gave back.
            if (owned.searched() && isFree(number)) continue;
            Checked checked = check(number, !owned.searched());
            if (checked.fault == Fault::Foreign && owned.searched()) continue;
            suspect = suspect || checked.fault == Fault::Foreign;
            pages_.push_back(std::move(checked));
        }
        std::int64_t found = 0;
        bool faults = false;
        for (const Checked& c : pages_) {
            found += c.page.rows;
            faults = faults || c.fault != Fault::None;
        }
        const bool anomalous = faults || found != storedRowCount_ || !owned.damage().empty();
        const bool indexed = indexes_ != nullptr && anomalous && countByIndex();
        // Fewer rows than counted where the map was read whole: it may have lost a page (a
        // cleared bit) or named a wrong one, so the file is searched for the table's pages
        // it does not name. (Pages past the end of a short file need no search.)
        if (!indexed && found < storedRowCount_ && owned.damage().empty() && (suspect || !faults))
            searchUnnamedPages();
        RowPlan plan = place(indexed);
        findStrays(plan);
        return plan;
    }

  private:
    bool isFree(std::uint32_t page) {
        if (!free_) free_ = freePages(file_).value_or(std::unordered_set<std::uint32_t>{});
        return free_->count(page) > 0;
    }

    // `named`: the table's usage map names the page, which may then be the table's even
    // when its owner field is damaged.
    Checked check(std::uint32_t number, bool named = false) {
        Checked checked;
        checked.page.number = number;
        bool owned = true;
        if (number >= file_.pagesHeld()) {
            checked.fault = Fault::PastEnd;
            return checked;
        }
        try {
            const std::size_t held = file_.readHeld(number, buffer_);
            const ByteSpan bytes(buffer_.data(), buffer_.size());
            if (held < bytes.size() && !holdsRowTable(bytes, file_.format(), held)) {
                checked.fault = Fault::PastEnd;
                return checked;
            }
            owned = bytes.u32(4) == tablePage_;
            if (bytes.u8(0) != page_type::kData ||
                (!owned && !(named && ownerDamaged(bytes.u32(4))))) {
                checked.fault = Fault::Foreign;
                return checked;
            }
            const RowTable rows(bytes, file_.format());
            if (rows.countDamaged()) {
                checked.countDamaged = true;
                throw FormatError("its row count (" + std::to_string(rows.statedCount()) +
                                  ") is damaged");
            }
            const unsigned slots = rows.count();
            RowSlot slot;
            unsigned untrusted = 0;
            for (unsigned i = 0; i < slots; ++i) {
                checked.page.rows += slotState(rows, layout_, i, held, slot) != SlotState::Empty;
                untrusted += !rows.boundsTrusted(i);  // deleted slots too: their flag is as damaged
            }
            if (untrusted > kMostUntrustedSlots)
                throw FormatError("its row table is damaged (" + std::to_string(untrusted) +
                                  " of its " + std::to_string(slots) +
                                  " rows have bounds that "
                                  "contradict the others)");
            if (!owned && !rowsProveTheTable(rows, held)) {
                checked.page.rows = 0;
                checked.fault = Fault::Foreign;
            }
        } catch (const FormatError& e) {
            if (!owned) {  // only a sound page proves the table's own
                checked.page.rows = 0;
                checked.fault = Fault::Foreign;
                return checked;
            }
            checked.fault = Fault::Damaged;
            details_[number] = e.what();
        }
        return checked;
    }

    // An owner field that names no table definition is damaged: no table can own the page
    // through it.
    bool ownerDamaged(std::uint32_t owner) {
        if (owner < kFirstTablePage) return true;
        if (owner >= file_.pagesHeld()) return true;
        try {
            file_.read(owner, ownerPage_);
        } catch (const FormatError&) {
            return true;
        }
        return ownerPage_.empty() || ownerPage_[0] != page_type::kTableDefinition;
    }

    // A page whose owner field is damaged is the table's when every row on it has the
    // table's structure and bounds that its own bytes prove (as for a row whose slot is
    // damaged). Moved rows' pointers prove nothing here; the pages they point to must be
    // the table's own when they are followed.
    bool rowsProveTheTable(const RowTable& rows, std::size_t held) const {
        unsigned proven = 0;
        for (unsigned i = 0; i < rows.count(); ++i) {
            RowSlot slot;
            if (slotState(rows, layout_, i, held, slot) == SlotState::Empty || slot.overflow)
                continue;
            if (slot.start >= slot.end || slot.end > held ||
                !layout_.boundsProven(rows.page().sub(slot.start, slot.end - slot.start)))
                return false;
            ++proven;
        }
        return proven > 0;
    }

    // The slots of a readable page that hold rows (`count` of them, when given).
    std::vector<std::uint16_t> rowSlots(std::uint32_t number,
                                        std::optional<unsigned> count = std::nullopt) {
        const std::size_t held = file_.readHeld(number, buffer_);
        const ByteSpan bytes(buffer_.data(), buffer_.size());
        const RowTable rows(bytes, file_.format(), count);
        std::vector<std::uint16_t> slots;
        RowSlot slot;
        for (unsigned i = 0; i < rows.count(); ++i)
            if (slotState(rows, layout_, i, held, slot) != SlotState::Empty)
                slots.push_back(static_cast<std::uint16_t>(i));
        return slots;
    }

    void searchUnnamedPages() {
        std::vector<std::uint32_t> named;
        for (const Checked& c : pages_) named.push_back(c.page.number);
        std::sort(named.begin(), named.end());
        for (std::uint32_t number = kFirstTablePage; number < file_.pagesHeld(); ++number) {
            if (std::binary_search(named.begin(), named.end(), number) || isFree(number)) continue;
            Checked checked = check(number);
            if (checked.fault == Fault::None && checked.page.rows > 0)
                pages_.push_back(std::move(checked));
        }
        sortPages();
    }

    void sortPages() {
        std::stable_sort(pages_.begin(), pages_.end(), [](const Checked& a, const Checked& b) {
            return a.page.number < b.page.number;
        });
    }

    // Counts each page's rows from the index that agrees best with the readable pages;
    // false when none agrees well enough.
    bool countByIndex() {
        const std::vector<IndexRows> indexes = indexes_->indexesOf(tablePage_);
        if (indexes.empty()) return false;
        std::map<std::uint32_t, std::vector<std::uint16_t>> found;  // readable pages' row slots
        try {
            for (const Checked& c : pages_)
                if (c.fault == Fault::None) found[c.page.number] = rowSlots(c.page.number);
        } catch (const FormatError&) {
            return false;  // the file changed since its pages were checked
        }
        const auto same = [](const std::vector<std::uint16_t>& a,
                             const std::vector<std::uint8_t>& b) {
            return std::equal(a.begin(), a.end(), b.begin(), b.end());
        };
        const IndexRows* best = nullptr;
        std::size_t fewest = kMostDisagreements + 1;
        for (const IndexRows& index : indexes) {
            std::size_t agree = 0, disagree = 0;
            for (const auto& [number, slots] : found) {
                const auto listed = index.slots.find(number);
                const bool agrees =
                    listed == index.slots.end() ? slots.empty() : same(slots, listed->second);
                if (!agrees)
                    ++disagree;
                else if (!slots.empty())
                    ++agree;
            }
            if (disagree < fewest && agree >= 4 * disagree) {
                best = &index;
                fewest = disagree;
            }
        }
        if (best == nullptr) return false;

        // A page whose row count is damaged has as many slots as its last row the index
        // lists needs; its slots are then read as any page's, against the index.
        for (Checked& c : pages_) {
            if (c.fault != Fault::Damaged || !c.countDamaged) continue;
            const auto listed = best->slots.find(c.page.number);
            if (listed == best->slots.end()) continue;
            const unsigned count = listed->second.back() + 1u;
            try {
                found[c.page.number] = rowSlots(c.page.number, count);
            } catch (const FormatError&) {
                continue;
            }
            c.fault = Fault::None;
            plan_.slotCounts[c.page.number] = count;
        }

        // Pages the index names that the map does not: the map lost them.
        std::vector<std::uint32_t> named;
        for (const Checked& c : pages_) named.push_back(c.page.number);
        std::sort(named.begin(), named.end());
        for (const auto& [number, slots] : best->slots)
            if (!std::binary_search(named.begin(), named.end(), number)) {
                Checked checked = check(number);
                if (checked.fault == Fault::None) found[number] = rowSlots(number);
                pages_.push_back(std::move(checked));
            }
        sortPages();

        for (Checked& c : pages_) {
            const auto listed = best->slots.find(c.page.number);
            static const std::vector<std::uint8_t> none;
            const std::vector<std::uint8_t>& slots =
                listed == best->slots.end() ? none : listed->second;
            c.page.rows = static_cast<std::uint32_t>(slots.size());
            if (c.fault != Fault::None) {
                c.counted = true;
                continue;
            }
            const std::vector<std::uint16_t>& rows = found.at(c.page.number);
            if (same(rows, slots)) continue;
            // Slots the index lists are the page's rows; what it does not list is none.
            const std::size_t size = std::max(rows.empty() ? 0 : rows.back() + 1u,
                                              slots.empty() ? 0 : slots.back() + 1u);
            std::vector<SlotUse> uses(size, SlotUse::Skip);
            for (const std::uint8_t s : slots) uses[s] = SlotUse::Lost;
            for (const std::uint16_t s : rows)
                if (uses[s] == SlotUse::Lost) uses[s] = SlotUse::Row;
            plan_.slotUses[c.page.number] = std::move(uses);
        }
        return true;
    }

    std::string firstText(const Checked& c) {
        const std::string page = std::to_string(c.page.number);
        switch (c.fault) {
            case Fault::PastEnd:
                return "data page " + page + " lies past the end of the file";
            case Fault::Foreign:
                return "page " + page +
                       ", which the table's usage map names, is not one of its data pages";
            default:
                return "data page " + page + " is damaged (" + details_[c.page.number] + ")";
        }
    }

    // Groups the pages that are not read into losses (a run of them, not parted by a page
    // with rows), counts their rows, and numbers every page's rows.
    RowPlan place(bool indexed) {
        struct Run {
            std::size_t lead = 0;
            std::uint32_t pages = 0, pastEnd = 0, foreign = 0;
            std::uint32_t lowest = UINT32_MAX, highest = 0;
            std::int64_t counted = 0;  // rows an index counted to its pages
        };
        std::vector<Run> runs;
        std::vector<int> runOf(pages_.size(), -1);
        std::int64_t found = 0;
        bool inRun = false;
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            const Checked& c = pages_[i];
            if (c.fault == Fault::None) {
                found += c.page.rows;
                if (c.page.rows > 0) inRun = false;
                continue;
            }
            if (!inRun) {
                runs.push_back(Run{});
                runs.back().lead = i;
                inRun = true;
            }
            Run& run = runs.back();
            ++run.pages;
            run.pastEnd += c.fault == Fault::PastEnd;
            run.foreign += c.fault == Fault::Foreign;
            run.lowest = std::min(run.lowest, c.page.number);
            run.highest = std::max(run.highest, c.page.number);
            run.counted += c.counted ? c.page.rows : 0;
            runOf[i] = static_cast<int>(runs.size() - 1);
        }

        const std::int64_t missing = static_cast<std::int64_t>(storedRowCount_) - found;
        std::uint64_t pagesInRuns = 0;
        for (const Run& run : runs) pagesInRuns += run.pages;
        std::vector<int> lossOfRun(runs.size(), -1);
        std::uint64_t pagesSoFar = 0;
        std::int64_t sharedSoFar = 0;
        bool shared = false;
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const Run& run = runs[r];
            pagesSoFar += run.pages;
            db::LostRows loss;
            if (indexed) {
                loss.count = run.counted;
                if (loss.count == 0) continue;
            } else if (missing > 0) {
                // Shared by number of pages: exact for a single run.
                const std::int64_t upTo = static_cast<std::int64_t>(
                    static_cast<long double>(missing) * pagesSoFar / pagesInRuns + 0.5L);
                loss.count = upTo - sharedSoFar;
                sharedSoFar = upTo;
                shared = shared || r > 0;
                if (loss.count == 0) continue;
            } else if (run.foreign == run.pages) {
                continue;  // pages the table gave back, with no rows missing
            } else {
                loss.countKnown = false;
            }
            loss.pagesMissing = run.pastEnd;
            const std::string span = " (pages " + std::to_string(run.lowest) + " to " +
                                     std::to_string(run.highest) + ")";
            if (run.pastEnd == run.pages && run.pages > 1)
                loss.reason =
                    std::to_string(run.pages) + " data pages lie past the end of the file" + span;
            else if (run.pages == 1)
                loss.reason = firstText(pages_[run.lead]);
            else
                loss.reason = std::to_string(run.pages) + " of its pages cannot be read" + span +
                              "; the first: " + firstText(pages_[run.lead]);
            lossOfRun[r] = static_cast<int>(plan_.losses.size());
            plan_.losses.push_back(std::move(loss));
        }
        if (shared)
            for (db::LostRows& loss : plan_.losses)
                loss.reason += "; the " + std::to_string(missing) +
                               " rows lost on the table's damaged pages are shared among them by "
                               "their number of pages";

        std::int64_t place = 0;
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            RowPlan::Page page = pages_[i].page;
            page.first = place;
            if (runOf[i] < 0) {
                place += page.rows;
                plan_.pages.push_back(page);
                continue;
            }
            page.read = false;
            page.rows = 0;
            page.loss = lossOfRun[static_cast<std::size_t>(runOf[i])];
            if (page.loss >= 0 && runs[static_cast<std::size_t>(runOf[i])].lead == i) {
                db::LostRows& loss = plan_.losses[static_cast<std::size_t>(page.loss)];
                page.leadsLoss = true;
                loss.first = place;
                if (loss.countKnown) place += loss.count;
            }
            plan_.pages.push_back(page);
        }
        if (runs.empty() && !indexed && indexes_ != nullptr && missing > 0) {
            db::LostRows loss;
            loss.first = place;
            loss.count = missing;
            loss.reason = "the table's definition counts " + std::to_string(storedRowCount_) +
                          " rows, but its pages hold " + std::to_string(found);
            place += missing;
            plan_.tailLoss.push_back(std::move(loss));
        }
        plan_.rowCount = place;
        return std::move(plan_);
    }

    // Moved rows whose pointers were on the lost pages, when the table lost one run of pages
    // and nothing else: every readable page's slots are sound, so a moved row that none of
    // their pointers reaches had its pointer on the lost pages. Each must prove its bounds,
    // and there can be no more of them than rows lost.
    void findStrays(RowPlan& plan) {
        if (plan.losses.size() != 1 || !plan.tailLoss.empty() || !plan.slotUses.empty() ||
            !plan.slotCounts.empty() || !plan.losses[0].countKnown)
            return;
        std::set<std::pair<std::uint32_t, unsigned>> pointed;
        std::vector<RowPointer> moved;
        try {
            for (const RowPlan::Page& page : plan.pages) {
                if (!page.read) continue;
                const std::size_t held = file_.readHeld(page.number, buffer_);
                const RowTable rows(ByteSpan(buffer_.data(), buffer_.size()), file_.format());
                for (unsigned i = 0; i < rows.count(); ++i) {
                    RowSlot slot;
                    const SlotState state = slotState(rows, layout_, i, held, slot);
                    if (state == SlotState::Damaged) return;
                    if (state == SlotState::Row && slot.overflow) {
                        if (slot.end - slot.start < 4) return;
                        const ByteSpan pointer = rows.page().sub(slot.start, 4);
                        pointed.emplace(pointer.u24(1), pointer.u8(0));
                    } else if (slot.deleted && !slot.overflow) {
                        const bool proven = slot.start < slot.end && slot.end <= held &&
                                            layout_.boundsProven(
                                                rows.page().sub(slot.start, slot.end - slot.start));
                        if (proven) moved.push_back({page.number, static_cast<std::uint8_t>(i)});
                    }
                }
            }
        } catch (const FormatError&) {
            return;
        }
        std::vector<RowPointer> strays;
        for (const RowPointer& row : moved)
            if (pointed.count({row.page, row.row}) == 0) strays.push_back(row);
        db::LostRows& loss = plan.losses[0];
        if (strays.empty() || static_cast<std::int64_t>(strays.size()) > loss.count) return;
        loss.count -= static_cast<std::int64_t>(strays.size());
        loss.movedRowsFound = static_cast<std::int64_t>(strays.size());
        plan.strays = std::move(strays);
    }

    const PageFile& file_;
    const std::uint32_t tablePage_;
    const std::uint32_t storedRowCount_;
    const IndexLeaves* indexes_;
    const RowPointer map_;
    const RowLayout layout_;
    std::vector<Checked> pages_;
    std::map<std::uint32_t, std::string> details_;  // what is damaged on each damaged page
    std::optional<std::unordered_set<std::uint32_t>> free_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> ownerPage_;
    RowPlan plan_;
};

}  // namespace

SlotState slotState(const RowTable& rows, const RowLayout& layout, unsigned index, std::size_t held,
                    RowSlot& slot) {
    try {
        slot = rows.slot(index);
    } catch (const FormatError&) {
        return SlotState::Damaged;
    }
    if (slot.deleted) return SlotState::Empty;
    if (!rows.boundsTrusted(index)) {
        // The slot's own offset and the one before it, as the table stands, may still be
        // right: the row's bytes tell. (A moved row's pointer has no structure to tell.)
        const bool proven = !slot.overflow && slot.start < slot.end && slot.end <= held &&
                            layout.boundsProven(rows.page().sub(slot.start, slot.end - slot.start));
        return proven ? SlotState::Row : SlotState::Damaged;
    }
    if (slot.end <= slot.start) return SlotState::Empty;
    return slot.end > held ? SlotState::Damaged : SlotState::Row;
}

RowPlan RowPlan::make(const PageFile& file, const TableDefinition& table,
                      const IndexLeaves* indexes) {
    return Planner(file, table, indexes).make();
}

PlanHandover::FileState PlanHandover::fileState() const {
    FileState state;
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return state;
    state.known = true;
    state.size = st.st_size;
    state.modified = st.st_mtim;
    return state;
}

void PlanHandover::keep(std::uint32_t table, const RowPlan& plan) {
    const FileState file = fileState();
    std::lock_guard lock(mutex_);
    table_ = table;
    kept_ = plan;
    keptFile_ = file;
}

std::optional<RowPlan> PlanHandover::take(std::uint32_t table) {
    const FileState file = fileState();
    std::lock_guard lock(mutex_);
    if (!kept_ || table_ != table) return std::nullopt;
    std::optional<RowPlan> plan = std::move(kept_);
    kept_.reset();
    const bool unchanged = file.known == keptFile_.known && file.size == keptFile_.size &&
                           file.modified.tv_sec == keptFile_.modified.tv_sec &&
                           file.modified.tv_nsec == keptFile_.modified.tv_nsec;
    if (!unchanged || !file.known) return std::nullopt;
    return plan;
}

}  // namespace velmora::access
