#pragma once
// Source rows whose texts are spelled in the table's code page: characters it lacks
// take a best-fit spelling (Ü to U) or "?". For keeping rows that the code page
// could not hold otherwise, when the user asks for it.

#include <memory>

#include "dataaccess/Provider.h"

namespace velmora {

class BestFitRows final : public db::RowCursor {
  public:
    BestFitRows(std::unique_ptr<db::RowCursor> rows, int codePage)
        : rows_(std::move(rows)), codePage_(codePage) {}
    const std::vector<db::ColumnInfo>& columns() const override { return rows_->columns(); }
    std::int64_t rowCount() override { return rows_->rowCount(); }
    bool fetch(std::vector<db::Value>& row) override;
    std::optional<std::int64_t> position() const override { return rows_->position(); }
    std::vector<db::LostRows> lostRows() const override { return rows_->lostRows(); }
    db::LostColumns lostColumns() const override { return rows_->lostColumns(); }

    // Rows with at least one text spelled differently.
    std::int64_t rowsRespelled() const { return respelled_; }

  private:
    std::unique_ptr<db::RowCursor> rows_;
    int codePage_;
    std::int64_t respelled_ = 0;
};

}  // namespace velmora
