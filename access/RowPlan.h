#pragma once
// The first pass over a table's pages, which plans the walk over its rows: it reads each
// page the table may own, counts its rows, and notes the pages it cannot use (past the
// end of the file, a row table that contradicts itself, a page the usage map names that is
// not the table's). Then it gives every row its place (its number among the table's rows),
// so that the rows after a lost page keep theirs:
//  - from an index of the table, when one agrees with its readable pages: it lists each
//    row by page and slot, so the rows of a lost page are counted exactly, and a slot
//    whose deleted flag was damaged is told (a row flagged deleted is lost at its place, a
//    deleted row flagged live is no row);
//  - otherwise from the number of rows the table's definition records: the rows beyond
//    those found are the lost pages', shared by their number of pages (exact for a single
//    run of lost pages, as a short file or one damaged page has).
// A moved row whose pointer lay on a lost page survives where it was moved to, flagged as
// a moved row that no pointer of a readable page reaches: it is read after the last page.

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "access/DataPage.h"
#include "access/IndexLeaves.h"
#include "access/OwnedPages.h"
#include "access/RowLayout.h"
#include "access/TableDefinition.h"
#include "dataaccess/Damage.h"

namespace velmora::access {

// How the walk uses a slot of a page whose flags an index corrected.
enum class SlotUse : std::uint8_t { Skip, Row, Lost };

struct RowPlan {
    struct Page {
        std::uint32_t number = 0;
        std::uint32_t rows = 0;  // rows found on it, or counted to it when it is not read
        std::int64_t first = 0;  // place of its first row
        bool read = true;        // false: its rows are lost
        int loss = -1;           // for a page not read: its loss in `losses`, if it counts one
        bool leadsLoss = false;  // the first page of that loss
    };
    std::vector<Page> pages;  // in the order of the walk
    std::vector<db::LostRows> losses;
    std::vector<db::LostRows> tailLoss;  // rows counted that no page was found to hold
    std::map<std::uint32_t, std::vector<SlotUse>> slotUses;  // by page, where an index corrected it
    std::map<std::uint32_t, unsigned> slotCounts;  // by page, where an index told a damaged count
    // Rows Access moved to another page when they grew, whose pointers (their places) lay on
    // the table's one lost run of pages: walked after the last page, at places from rowCount.
    std::vector<RowPointer> strays;
    std::int64_t rowCount = 0;

    // `indexes`: the leaves of the database's indexes, for a user table, whose indexes and
    // row count Access keeps up to date; rows it counts beyond those found are then lost
    // even where no page was damaged. System tables (whose counts go stale) go without.
    static RowPlan make(const PageFile& file, const TableDefinition& table,
                        const IndexLeaves* indexes);
};

// Hands the plan of a table's walk on to the next walk over the same table: a run reads a
// table twice in a row (once for what its values need, once to copy them), and planning
// reads every page the table may own. A plan is handed on once, and only while the file
// looks as it did when the plan was made; any later walk plans afresh.
class PlanHandover {
  public:
    // `path`: the file whose size and modification time must not change meanwhile.
    explicit PlanHandover(std::string path) : path_(std::move(path)) {}
    void keep(std::uint32_t table, const RowPlan& plan);
    std::optional<RowPlan> take(std::uint32_t table);

  private:
    struct FileState {
        bool known = false;
        off_t size = 0;
        timespec modified{};
    };
    FileState fileState() const;

    const std::string path_;
    std::mutex mutex_;
    std::uint32_t table_ = 0;
    std::optional<RowPlan> kept_;
    FileState keptFile_;
};

// Which slots of a page hold a row, and which of those cannot be read: their offsets leave
// the page or the part of it the file holds, or the row table does not vouch for them and
// the row's own bytes do not prove them either (they keep their places, lost).
enum class SlotState { Empty, Row, Damaged };
SlotState slotState(const RowTable& rows, const RowLayout& layout, unsigned index, std::size_t held,
                    RowSlot& slot);

}  // namespace velmora::access
