#pragma once
// The TABLES schema rowset (kind 20): TABLE_CATALOG and TABLE_SCHEMA (always Null, as
// for Access), TABLE_NAME and TABLE_TYPE, one row per catalogue entry in the
// catalogue's documented order (see Catalogue.h), or the one entry a restriction names.

#include <memory>
#include <vector>

#include "access/AccessDatabase.h"
#include "dataaccess/Provider.h"

namespace velmora::access {

class SchemaCursor final : public db::RowCursor {
  public:
    // `table`, when not empty, restricts the rows to that table (found without regard to case).
    SchemaCursor(std::shared_ptr<const AccessDatabase> database, const std::string& table);

    const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
    std::int64_t rowCount() override;
    bool fetch(std::vector<db::Value>& row) override;

  private:
    std::shared_ptr<const AccessDatabase> database_;
    std::vector<db::ColumnInfo> columns_;
    std::vector<const CatalogueEntry*> entries_;
    std::size_t next_ = 0;
};

}  // namespace velmora::access
