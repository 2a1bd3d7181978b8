#pragma once
// Walks the live rows of a table in storage order: page by page through the pages
// the table owns, slot by slot, skipping deleted slots and following overflow
// pointers to rows that were moved to another page when they grew. (The moved row
// itself is flagged deleted on its new page, so it is met only through its pointer, or,
// when its pointer's page is lost, after the last page: see RowPlan.h.)
//
// A damaged table gives every row that can still be read, and every row keeps its place
// (its number among the table's rows): the walk follows the plan of a first pass (see
// RowPlan.h), which counts the rows of the pages it cannot use. A row that cannot be
// read, or that its reader cannot decode (loseRow), is lost alone.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "access/ByteSpan.h"
#include "access/DataPage.h"
#include "access/RowLayout.h"
#include "access/RowPlan.h"
#include "dataaccess/Damage.h"

namespace velmora::access {

class RowScanner {
  public:
    // `indexes`: for a user table (see RowPlan::make).
    // `handover`: where the plan of the walk before comes from and this one's goes.
    RowScanner(const PageFile& file, const TableDefinition& table,
               const IndexLeaves* indexes = nullptr, PlanHandover* handover = nullptr);

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
    void plan();
    bool loadNextPage();
    bool nextStray();
    ByteSpan resolveOverflow(RowSlot slot);
    void report(const db::LostRows& loss);

    const PageFile& file_;
    const TableDefinition& table_;
    const IndexLeaves* indexes_;
    const RowLayout layout_;  // proves the bounds of rows a damaged row table does not vouch for
    PlanHandover* handover_;
    std::optional<RowPlan> plan_;

    std::size_t nextPage_ = 0;
    const RowPlan::Page* current_ = nullptr;
    const std::vector<SlotUse>* uses_ = nullptr;  // of the current page, when an index corrected it
    std::vector<std::uint8_t> page_;
    std::size_t held_ = 0;          // bytes of page_ the file holds
    std::optional<RowTable> rows_;  // page_'s row table
    std::vector<std::uint8_t> overflowPage_;
    unsigned slots_ = 0;  // slots of the current page to walk
    unsigned slot_ = 0;
    std::uint32_t rowOnPage_ = 0;  // rows of the current page met so far
    ByteSpan row_;
    std::int64_t position_ = -1;
    std::vector<db::LostRows> lost_;
    std::uint32_t lastLostRowPage_ = 0;  // the page of the last lost row, to merge with
    std::size_t stray_ = 0;              // the next of the plan's strays
    RowPlan::Page strayPage_;            // the current stray's page, as losses name it
};

}  // namespace velmora::access
