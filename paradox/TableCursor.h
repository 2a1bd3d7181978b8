#pragma once
// Row cursors the driver returns: the rows of a table (SELECT *), and fixed rows
// (SELECT COUNT(*), the table list).

#include <memory>
#include <vector>

#include "common/text/CodePage.h"
#include "dataaccess/Provider.h"
#include "paradox/TableReader.h"

namespace velmora::paradox {

class TableCursor final : public db::RowCursor {
  public:
    explicit TableCursor(const TableFiles& files);
    const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
    std::int64_t rowCount() override { return reader_.recordCount(); }
    bool fetch(std::vector<db::Value>& row) override;

  private:
    TableReader reader_;
    const text::CodePage& codePage_;
    std::vector<db::ColumnInfo> columns_;
    std::size_t block_ = 0;
    int record_ = 0;
    const std::uint8_t* records_ = nullptr;
};

class FixedRowsCursor final : public db::RowCursor {
  public:
    FixedRowsCursor(std::vector<db::ColumnInfo> columns, std::vector<std::vector<db::Value>> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)) {}
    const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
    std::int64_t rowCount() override { return static_cast<std::int64_t>(rows_.size()); }
    bool fetch(std::vector<db::Value>& row) override;

  private:
    std::vector<db::ColumnInfo> columns_;
    std::vector<std::vector<db::Value>> rows_;
    std::size_t next_ = 0;
};

}  // namespace velmora::paradox
