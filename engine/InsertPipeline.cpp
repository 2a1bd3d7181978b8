#include "engine/InsertPipeline.h"

#include <chrono>

namespace velmora {

namespace {
// Small enough that the progress bar and the reports trail the rows by little, large
// enough that handing over costs nothing against running the statements.
constexpr std::size_t kBatchRows = 256;
constexpr std::size_t kBatchBytes = 1 << 20;  // long memos: memory stays bounded
constexpr std::size_t kBatchesInFlight = 4;
constexpr auto kRepaintInterval = std::chrono::milliseconds(16);
}  // namespace

InsertPipeline::InsertPipeline(Mode mode, Execute execute, EndsTable endsTable, Answer answer,
                               WhileWaiting whileWaiting, AroundBatch aroundBatch)
    : mode_(mode),
      execute_(std::move(execute)),
      endsTable_(std::move(endsTable)),
      answer_(std::move(answer)),
      whileWaiting_(std::move(whileWaiting)),
      aroundBatch_(std::move(aroundBatch)) {
    if (mode_ == Mode::Threaded) worker_ = std::thread([this] { runOnWorker(); });
}

InsertPipeline::~InsertPipeline() {
    if (!worker_.joinable()) return;
    {
        MutexLock lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void InsertPipeline::send(PendingRow& row) {
    if (!filling_) filling_ = takeSpare();
    Batch& batch = *filling_;
    if (batch.filled == batch.rows.size()) batch.rows.emplace_back();
    batch.rows[batch.filled].swap(row);
    batch.bytes += batch.rows[batch.filled].statement.size();
    ++batch.filled;
    if (mode_ == Mode::Inline) {
        runBatch(batch);
        answer(batch);
        return;
    }
    if (batch.filled == kBatchRows || batch.bytes >= kBatchBytes) handOver();
    while (answerOne(false)) {
    }
}

void InsertPipeline::settle() {
    if (filling_ && filling_->filled > 0) handOver();
    while (inFlight_ > 0) answerOne(true);
}

void InsertPipeline::runBatch(Batch& batch) {
    batch.ran = 0;
    batch.failures.clear();
    if (aroundBatch_) aroundBatch_(true);
    for (std::size_t i = 0; i < batch.filled && !tableEnded_; ++i) {
        try {
            execute_(batch.rows[i].statement);
        } catch (...) {
            batch.failures.emplace_back(i, std::current_exception());
            tableEnded_ = endsTable_(batch.failures.back().second);
        }
        ++batch.ran;
    }
    if (aroundBatch_) aroundBatch_(false);
}

void InsertPipeline::runOnWorker() {
    for (;;) {
        std::unique_ptr<Batch> batch;
        {
            MutexLock lock(mutex_);
            while (!quit_ && toRun_.empty()) changed_.wait(lock.waitable());
            if (quit_) return;
            batch = std::move(toRun_.front());
            toRun_.pop_front();
        }
        runBatch(*batch);
        {
            MutexLock lock(mutex_);
            done_.push_back(std::move(batch));
            doneCount_.fetch_add(1, std::memory_order_release);
        }
        changed_.notify_all();
    }
}

void InsertPipeline::handOver() {
    {
        MutexLock lock(mutex_);
        toRun_.push_back(std::move(filling_));
    }
    changed_.notify_all();
    ++inFlight_;
}

std::unique_ptr<InsertPipeline::Batch> InsertPipeline::takeSpare() {
    while (spare_.empty() && inFlight_ >= kBatchesInFlight) answerOne(true);
    if (spare_.empty()) return std::make_unique<Batch>();
    auto batch = std::move(spare_.back());
    spare_.pop_back();
    return batch;
}

bool InsertPipeline::answerOne(bool wait) {
    if (!wait && doneCount_.load(std::memory_order_acquire) == 0) return false;
    std::unique_ptr<Batch> batch;
    {
        MutexLock lock(mutex_);
        while (wait && done_.empty()) {
            if (changed_.wait_for(lock.waitable(), kRepaintInterval) == std::cv_status::timeout &&
                whileWaiting_) {
                lock.unlock();
                whileWaiting_();
                lock.lock();
            }
        }
        if (done_.empty()) return false;
        batch = std::move(done_.front());
        done_.pop_front();
        doneCount_.fetch_sub(1, std::memory_order_relaxed);
    }
    --inFlight_;
    answer(*batch);
    spare_.push_back(std::move(batch));
    return true;
}

void InsertPipeline::answer(Batch& batch) {
    auto failure = batch.failures.begin();
    static const std::exception_ptr accepted;
    for (std::size_t i = 0; i < batch.ran; ++i) {
        const bool failed = failure != batch.failures.end() && failure->first == i;
        answer_(batch.rows[i], failed ? failure->second : accepted);
        if (failed) ++failure;
    }
    batch.filled = 0;
    batch.bytes = 0;
    batch.failures.clear();
}

}  // namespace velmora
