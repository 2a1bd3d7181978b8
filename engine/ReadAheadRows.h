#pragma once
// A row cursor that reads the rows of another on a thread of its own, some batches ahead
// of the caller, so that reading a table and working on its rows take two cores. From
// construction on, the cursor it reads is used by that thread alone (until it has ended).
// Rows come in their order, a row that could not be read as the failure it was.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "common/ThreadSafety.h"
#include "dataaccess/Provider.h"

namespace velmora {

class ReadAheadRows final : public db::RowCursor {
  public:
    explicit ReadAheadRows(std::unique_ptr<db::RowCursor> rows);
    ~ReadAheadRows() override;  // stops the reading where it is
    ReadAheadRows(const ReadAheadRows&) = delete;
    ReadAheadRows& operator=(const ReadAheadRows&) = delete;

    const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
    std::int64_t rowCount() override { return rowCount_; }
    bool fetch(std::vector<db::Value>& row) override;
    std::optional<std::int64_t> position() const override { return position_; }
    // The rows left out of the whole table: waits for the reading to end.
    std::vector<db::LostRows> lostRows() const override;
    db::LostColumns lostColumns() const override { return lostColumns_; }

  private:
    struct Row {
        std::vector<db::Value> values;
        std::optional<std::int64_t> position;
        std::exception_ptr failure;
    };
    struct Batch {
        std::vector<Row> rows;  // reused: the value vectors keep their size
        std::size_t filled = 0;
        bool last = false;  // the reading ended after these rows
    };

    void read() EXCLUDES(mutex_);
    std::unique_ptr<Batch> nextBatch() EXCLUDES(mutex_);

    std::unique_ptr<db::RowCursor> rows_;
    const std::vector<db::ColumnInfo> columns_;
    const std::int64_t rowCount_;
    const db::LostColumns lostColumns_;  // known once the cursor is open

    // The caller's own.
    std::unique_ptr<Batch> current_;
    std::size_t next_ = 0;
    std::optional<std::int64_t> position_;
    bool ended_ = false;

    // Shared by both threads.
    mutable Mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<std::unique_ptr<Batch>> ready_ GUARDED_BY(mutex_);
    std::vector<std::unique_ptr<Batch>> spare_ GUARDED_BY(mutex_);
    bool stop_ GUARDED_BY(mutex_) = false;
    mutable bool drain_ GUARDED_BY(mutex_) = false;  // read to the end without waiting
    bool finished_ GUARDED_BY(mutex_) = false;
    std::thread reader_;
};

}  // namespace velmora
