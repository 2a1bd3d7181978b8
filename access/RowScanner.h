#pragma once
// Walks the live rows of a table in storage order: page by page through the pages
// the table owns, slot by slot, skipping deleted slots and following overflow
// pointers to rows that were moved to another page when they grew. (The moved row
// itself is flagged deleted on its new page, so it is met only through its pointer.)

#include <cstdint>
#include <vector>

#include "access/ByteSpan.h"
#include "access/DataPage.h"
#include "access/OwnedPages.h"

namespace velmora::access {

class RowScanner {
  public:
    RowScanner(const PageFile& file, const TableDefinition& table);

    // Moves to the next live row; false past the last one.
    bool next();
    // The current row's bytes; valid until the next call to next().
    ByteSpan row() const { return row_; }

    // Counts the live rows with one cheap pass over the row slots.
    static std::int64_t countRows(const PageFile& file, const TableDefinition& table);

  private:
    // Advances to the next live slot of an owned data page without resolving it.
    bool nextSlot(RowSlot& slot);
    bool loadNextPage();
    ByteSpan resolveOverflow(RowSlot slot);

    const PageFile& file_;
    std::uint32_t tablePage_;
    OwnedPages pages_;
    std::vector<std::uint8_t> page_;
    std::vector<std::uint8_t> overflowPage_;
    std::uint16_t slotCount_ = 0;
    unsigned slot_ = 0;
    ByteSpan row_;
};

}  // namespace velmora::access
