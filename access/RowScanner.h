#pragma once
// Walks the live rows of a table in storage order: page by page through the pages
// the table owns, slot by slot, skipping deleted slots and following overflow
// pointers to rows that were moved to another page when they grew. (The moved row
// itself is flagged deleted on its new page, so it is met only through its pointer.)
//
// A damaged table gives every row that can still be read, and every row keeps its place
// (its number among the table's rows). A first pass plans the walk: it reads each page
// the table may own, counts its rows, and notes the pages it cannot use (past the end of
// the file, a row table that does not fit the page, a page the usage map names that is
// not the table's). The rows those pages held are the rows the table's definition counts
// beyond those found, so the rows after them keep their places. A row that cannot be
// read, or that its reader cannot decode (loseRow), is lost alone.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "access/ByteSpan.h"
#include "access/DataPage.h"
#include "access/OwnedPages.h"
#include "dataaccess/Damage.h"

namespace velmora::access {

class RowScanner {
  public:
    // `countIsKept`: the definition's row count is kept up to date (user tables), so rows
    // it counts beyond those found are reported lost even where no page was damaged.
    RowScanner(const PageFile& file, const TableDefinition& table, bool countIsKept = false);

    // The rows of the table: those the walk delivers and those it counts lost.
    std::int64_t rowCount();
    // Moves to the next row that can be read; false past the last one.
    bool next();
    // The current row's bytes; valid until the next call to next().
    ByteSpan row() const { return row_; }
    // The current row's place among the table's rows, from 0.
    std::int64_t position() const { return position_; }
    // Counts the current row lost, because of `reason`: one of the row itself (the report
    // names its page), or one that every row shares.
    void loseRow(const std::string& reason, bool ofThisRow = true);
    // The rows lost so far, in the order of their places; all of them once next() has
    // returned false.
    const std::vector<db::LostRows>& lost() const { return lost_; }

  private:
    enum class Fault : std::uint8_t { None, PastEnd, Damaged, Foreign };
    struct PlannedPage {
        std::uint32_t number = 0;
        std::uint32_t rows = 0;  // rows found; for a lost page, the rows counted to it
        std::int64_t first = 0;  // place of its first row
        Fault fault = Fault::None;
        int loss = -1;           // index in losses_ for a page that is not read
        bool leadsLoss = false;  // the first page of its loss
    };

    void plan();
    bool isFree(std::uint32_t page);
    PlannedPage check(std::uint32_t number, std::string& detail);
    void searchUnnamedPages();
    void countLostPages(const std::vector<std::string>& details);
    bool loadNextPage();
    ByteSpan resolveOverflow(RowSlot slot);
    void report(const db::LostRows& loss);

    const PageFile& file_;
    std::uint32_t tablePage_;
    std::uint32_t storedRowCount_;
    bool countIsKept_;
    RowPointer map_;

    bool planned_ = false;
    std::vector<PlannedPage> plan_;
    std::vector<db::LostRows> losses_;    // of the pages that are not read, with their places
    std::vector<db::LostRows> tailLoss_;  // rows counted that no page was found to hold
    std::int64_t rowCount_ = 0;
    std::optional<std::unordered_set<std::uint32_t>> freePages_;  // read when first needed

    std::size_t nextPlanned_ = 0;
    const PlannedPage* current_ = nullptr;
    std::vector<std::uint8_t> page_;
    std::size_t held_ = 0;  // bytes of page_ the file holds
    std::vector<std::uint8_t> overflowPage_;
    std::uint16_t slotCount_ = 0;
    unsigned slot_ = 0;
    std::uint32_t rowOnPage_ = 0;  // rows of the current page met so far
    ByteSpan row_;
    std::int64_t position_ = -1;
    std::vector<db::LostRows> lost_;
    std::uint32_t lastLostRowPage_ = 0;  // the page of the last lost row, to merge with
};

}  // namespace velmora::access
