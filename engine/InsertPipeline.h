#pragma once
// Sends a table's INSERT statements in batches to a thread of their own, so that the
// driver parses and writes one batch while the run reads and generates the next (two
// cores do the work of one conversion). Statements run in the order sent, and their
// answers come back in that order on the sending thread, so every count and report is
// what running each statement at once would give. After a statement whose failure ends
// the table, the rest is dropped. Inline, the pipeline runs each statement as it is sent.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "common/ThreadSafety.h"
#include "dataaccess/Value.h"

namespace velmora {

// One generated row: its statement and what a report about it shows.
struct PendingRow {
    std::string statement;
    std::int64_t rowNumber = 0;
    std::vector<db::Value> shownValues;  // the first columns of the source row

    // Member by member: cheaper than std::swap's three moves, once a row.
    void swap(PendingRow& other) noexcept {
        statement.swap(other.statement);
        std::swap(rowNumber, other.rowNumber);
        shownValues.swap(other.shownValues);
    }
};

class InsertPipeline {
  public:
    using Execute = std::function<void(std::string_view statement)>;
    using EndsTable = std::function<bool(const std::exception_ptr& failure)>;
    // Receives every statement that ran; `failure` is null when it was accepted.
    using Answer = std::function<void(const PendingRow& row, const std::exception_ptr& failure)>;
    // Runs about every 16 ms while the sending thread waits for the driver (the windows
    // repaint meanwhile).
    using WhileWaiting = std::function<void()>;
    // Runs on the thread that runs the statements, before (true) and after (false) each
    // batch, so that the target can take the batch as one (db::Connection::beginBatch);
    // it must not throw.
    using AroundBatch = std::function<void(bool starting)>;

    enum class Mode { Inline, Threaded };

    InsertPipeline(Mode mode, Execute execute, EndsTable endsTable, Answer answer,
                   WhileWaiting whileWaiting = {}, AroundBatch aroundBatch = {});
    ~InsertPipeline();  // statements not answered by then are dropped unrun
    InsertPipeline(const InsertPipeline&) = delete;
    InsertPipeline& operator=(const InsertPipeline&) = delete;

    // Takes the row over; `row` comes back as an older row to fill again (its buffers
    // keep their capacity).
    void send(PendingRow& row);
    // Sends what is left, waits for the driver and answers every statement sent.
    void settle();

  private:
    struct Batch {
        std::vector<PendingRow> rows;  // reused: its strings keep their capacity
        std::size_t filled = 0;
        std::size_t bytes = 0;
        std::size_t ran = 0;  // rows run before a failure that ended the table
        std::vector<std::pair<std::size_t, std::exception_ptr>> failures;
    };

    void runBatch(Batch& batch);
    void runOnWorker() EXCLUDES(mutex_);
    void handOver() EXCLUDES(mutex_);
    std::unique_ptr<Batch> takeSpare() EXCLUDES(mutex_);
    // Answers the oldest batch the worker finished; waits for it when `wait` is set.
    bool answerOne(bool wait) EXCLUDES(mutex_);
    void answer(Batch& batch);

    const Mode mode_;
    Execute execute_;
    EndsTable endsTable_;
    Answer answer_;
    WhileWaiting whileWaiting_;
    AroundBatch aroundBatch_;
    bool tableEnded_ = false;  // only the thread that runs statements touches it

    // The sending thread's own.
    std::unique_ptr<Batch> filling_;
    std::vector<std::unique_ptr<Batch>> spare_;
    std::size_t inFlight_ = 0;

    // Shared by both threads.
    Mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Batch>> toRun_ GUARDED_BY(mutex_);
    std::deque<std::unique_ptr<Batch>> done_ GUARDED_BY(mutex_);
    // How many batches done_ holds, read without the lock: the sending thread looks for
    // answers after every row, and finds none most of the time.
    std::atomic<std::size_t> doneCount_ = 0;
    bool quit_ GUARDED_BY(mutex_) = false;
    std::thread worker_;
};

}  // namespace velmora
