#pragma once
// A forward cursor over one table. It streams: it holds one data page (plus the page of
// a long value or moved row being read) and the current row, never the table.

#include <memory>
#include <optional>
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
    // Counts the live rows with a first pass over the row slots (the header's count can
    // be stale), so it always equals what fetch() delivers.
    std::int64_t rowCount() override;
    bool fetch(std::vector<db::Value>& row) override;

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
    std::optional<std::int64_t> rowCount_;
};

}  // namespace velmora::access
