#pragma once
// The TABLES schema rowset (kind 20): TABLE_CATALOG and TABLE_SCHEMA (always Null, as
// for Access), TABLE_NAME and TABLE_TYPE, one row per catalogue entry in the
// catalogue's documented order (see Catalogue.h).

#include <memory>
#include <vector>

#include "access/AccessDatabase.h"
#include "dataaccess/Provider.h"

namespace velmora::access {

class SchemaCursor final : public db::RowCursor {
  public:
    explicit SchemaCursor(std::shared_ptr<const AccessDatabase> database);

    const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
    std::int64_t rowCount() override;
    bool fetch(std::vector<db::Value>& row) override;

  private:
    std::shared_ptr<const AccessDatabase> database_;
    std::vector<db::ColumnInfo> columns_;
    std::size_t next_ = 0;
};

}  // namespace velmora::access
