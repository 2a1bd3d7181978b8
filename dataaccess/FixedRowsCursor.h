#pragma once
// A row cursor over rows already in memory: the answers providers build themselves
// (schema rowsets, SELECT COUNT(*)).

#include <utility>
#include <vector>

#include "dataaccess/Provider.h"

namespace velmora::db {

class FixedRowsCursor final : public RowCursor {
  public:
    FixedRowsCursor(std::vector<ColumnInfo> columns, std::vector<std::vector<Value>> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)) {}
    const std::vector<ColumnInfo>& columns() const override { return columns_; }
    std::int64_t rowCount() override { return static_cast<std::int64_t>(rows_.size()); }
    bool fetch(std::vector<Value>& row) override {
        if (next_ >= rows_.size()) return false;
        row = std::move(rows_[next_++]);
        return true;
    }

  private:
    std::vector<ColumnInfo> columns_;
    std::vector<std::vector<Value>> rows_;
    std::size_t next_ = 0;
};

}  // namespace velmora::db
