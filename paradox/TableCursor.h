#pragma once
// The row cursor over a table's rows (SELECT *).

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
}  // namespace velmora::paradox
