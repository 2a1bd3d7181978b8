#pragma once
// The progress bar of a conversion run: the row of the table being converted (or read
// back) among its rows, the table's place among the run's tables, and the time the
// table still needs once that can be told.

#include <QString>
#include <cstdint>

#include "common/Progress.h"

namespace velmora {

class RunProgress {
  public:
    RunProgress(ProgressSink& bar, int tables) : bar_(bar) { shown_.tables = tables; }

    // `number` counts from 1.
    void startTable(TableProgress::Phase phase, int number, const QString& table);
    // Once per row, `row` counting from 1; the bar's value is its caller's.
    void row(std::int64_t row, std::int64_t rows);

  private:
    ProgressSink& bar_;
    TableProgress shown_;
    TimeLeft timeLeft_;
};

}  // namespace velmora
