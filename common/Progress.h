#pragma once
// The ports through which a long procedure shows that it is working: the progress bar
// with its caption, and the busy pointer.

#include <QLocale>
#include <QString>
#include <chrono>
#include <cstdint>

namespace velmora {

// "Please wait... Processing statement <line> of <count>", the numbers written with the
// locale's thousands separators.
QString ExecutionProgressText(int line, int count, const QLocale& locale = QLocale());

// Where a conversion run stands: its table (counted from 1) among the tables it converts,
// the rows of that table done, and the time the table still needs when that can be told.
// Reading the written tables back is a phase of its own.
struct TableProgress {
    enum class Phase { Converting, ReadingBack };
    Phase phase = Phase::Converting;
    QString table;
    int tableNumber = 0;
    int tables = 0;
    std::int64_t rowsDone = 0;
    std::int64_t rows = 0;
    std::int64_t secondsLeft = -1;  // not known yet
};

// "Table 3 of 12, Bench: row 12,345 of 200,000, about 2 min left", or "Reading back table
// 3 of 12, ..." after the run.
QString TableProgressText(const TableProgress& progress, const QLocale& locale = QLocale());

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void setValue(double percent) = 0;  // 0 to 100
    virtual void setCaption(const QString& text) = 0;
    // Execute SQL's caption for one line. A bar that shows it only when it repaints may keep
    // the numbers and build the text then.
    virtual void setRowCaption(int line, int count);
    // A run's caption for one row; called once per row, so the same holds.
    virtual void setTableProgress(const TableProgress& progress);
};

class BusyPointer {
  public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(bool busy) = 0;
};

// Estimates the time a piece of work still needs from how fast it went since start().
class TimeLeft {
  public:
    void start() { started_ = std::chrono::steady_clock::now(); }
    // -1 while too little is done, or too little time has passed, to tell.
    std::int64_t secondsLeft(std::int64_t done, std::int64_t total) const;

  private:
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace velmora
