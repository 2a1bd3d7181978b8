#include "engine/ReadAheadRows.h"

namespace velmora {

namespace {
constexpr std::size_t kBatchRows = 256;
constexpr std::size_t kBatchesAhead = 4;  // memory stays bounded for long rows too
}  // namespace

ReadAheadRows::ReadAheadRows(std::unique_ptr<db::RowCursor> rows)
    : rows_(std::move(rows)),
      columns_(rows_->columns()),
      rowCount_(rows_->rowCount()),
      lostColumns_(rows_->lostColumns()) {
    reader_ = std::thread([this] { read(); });
}

ReadAheadRows::~ReadAheadRows() {
    {
        MutexLock lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    reader_.join();
}

void ReadAheadRows::read() {
    for (;;) {
        std::unique_ptr<Batch> batch;
        {
            MutexLock lock(mutex_);
            while (!stop_ && !drain_ && spare_.empty() && ready_.size() >= kBatchesAhead)
                changed_.wait(lock.waitable());
            if (stop_) return;
            if (!spare_.empty()) {
                batch = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        if (!batch) batch = std::make_unique<Batch>();
        batch->filled = 0;
        batch->last = false;
        if (batch->rows.size() < kBatchRows) batch->rows.resize(kBatchRows);
        while (batch->filled < kBatchRows && !batch->last) {
            Row& row = batch->rows[batch->filled];
            row.failure = nullptr;
            try {
                row.values.resize(columns_.size());
                if (!rows_->fetch(row.values)) {
                    batch->last = true;
                    break;
                }
                row.position = rows_->position();
            } catch (...) {
                row.failure = std::current_exception();
            }
            ++batch->filled;
        }
        const bool last = batch->last;
        {
            MutexLock lock(mutex_);
            ready_.push_back(std::move(batch));
            finished_ = last;
        }
        changed_.notify_all();
        if (last) return;
    }
}

std::unique_ptr<ReadAheadRows::Batch> ReadAheadRows::nextBatch() {
    MutexLock lock(mutex_);
    if (current_) spare_.push_back(std::move(current_));
    while (ready_.empty()) changed_.wait(lock.waitable());
    std::unique_ptr<Batch> batch = std::move(ready_.front());
    ready_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return batch;
}

bool ReadAheadRows::fetch(std::vector<db::Value>& row) {
    for (;;) {
        if (ended_) return false;
        if (current_ && next_ < current_->filled) break;
        if (current_ && current_->last) {
            ended_ = true;
            return false;
        }
        current_ = nextBatch();
        next_ = 0;
    }
    Row& next = current_->rows[next_++];
    if (next.failure) {
        position_.reset();
        std::rethrow_exception(next.failure);
    }
    row.swap(next.values);  // the caller's vector goes back to be filled again
    position_ = next.position;
    return true;
}

std::vector<db::LostRows> ReadAheadRows::lostRows() const {
    MutexLock lock(mutex_);
    drain_ = true;  // the reader must not wait for the caller to take rows
    changed_.notify_all();
    while (!finished_) changed_.wait(lock.waitable());
    return rows_->lostRows();
}

}  // namespace velmora
