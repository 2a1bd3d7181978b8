#pragma once
// A forward cursor over one table. It streams: it holds one data page (plus the page of
// a long value or moved row being read) and the current row, never the table's rows (its
// first pass keeps a list of the table's pages).
//
// A damaged table gives every row that can be read exactly; each row keeps its place
// (position), and the rows it cannot read are counted as lost (lostRows): a page that
// cannot be read, a row whose bytes contradict themselves, a value that cannot be decoded
// exactly (no value is ever guessed), or values held elsewhere that cannot be found.
// Calculated columns whose result types are lost (the table's properties lie on a
// damaged page) are left out of every row, and said so (lostColumns).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "access/AccessDatabase.h"
#include "access/ComplexColumns.h"
#include "access/RowLayout.h"
#include "access/RowScanner.h"
#include "access/TableDefinition.h"
#include "access/ValueDecoder.h"
#include "dataaccess/Provider.h"

namespace velmora::access {

class TableCursor final : public db::RowCursor {
  public:
    // Throws db::DbError when the table's definition is damaged.
    TableCursor(std::shared_ptr<const AccessDatabase> database, const CatalogueEntry& entry);

    const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
    // Counts the rows with a first pass over the row slots (the header's count can be
    // stale): the rows fetch() delivers and those it counts lost.
    std::int64_t rowCount() override;
    bool fetch(std::vector<db::Value>& row) override;
    std::optional<std::int64_t> position() const override { return scanner_->position(); }
    std::vector<db::LostRows> lostRows() const override { return scanner_->lost(); }
    db::LostColumns lostColumns() const override { return lostColumns_; }

  private:
    std::shared_ptr<const AccessDatabase> database_;
    std::string what_;  // "table 'name'", for messages
    TableDefinition table_;
    std::vector<db::ColumnInfo> columns_;
    std::optional<RowLayout> layout_;
    std::optional<RowScanner> scanner_;
    std::optional<ValueDecoder> decoder_;
    std::optional<ComplexValues> complex_;
    std::vector<Field> fields_;
    // When columns are left out: the table's column of each delivered one, and the whole
    // row the complex values are resolved in before the delivered values are taken.
    std::vector<std::size_t> delivered_;
    std::vector<db::Value> wholeRow_;
    db::LostColumns lostColumns_;
    // Why no row's values can be read exactly (the values of its complex columns cannot be
    // found); empty when they can.
    std::string valuesUnreadable_;
};

}  // namespace velmora::access
