#pragma once
// One conversion run: every user table of the Access database, last listed first,
// into the Paradox folder, as "Start Converting" does it.

#include <QLocale>
#include <cstdint>

#include "RunHost.h"
#include "RunState.h"

namespace velmora {

struct RunOptions {
    // The windows end a run silently when the folder holds no table yet; the command
    // line may accept a new, empty folder instead.
    bool acceptFolderWithoutTables = false;
};

struct RunStatistics {
    int tablesProcessed = 0;
    std::int64_t rowsDispatched = 0;
    std::int64_t rowsFailed = 0;
};

class ConversionRun {
  public:
    ConversionRun(RunHost& host, RunState& state, QLocale locale = QLocale::system(),
                  RunOptions options = {})
        : host_(host), state_(state), locale_(std::move(locale)), options_(options) {}

    // Returns at once when a run is already under way.
    void start();

    const RunStatistics& statistics() const { return stats_; }

  private:
    RunHost& host_;
    RunState& state_;
    QLocale locale_;
    RunOptions options_;
    RunStatistics stats_;
};

}  // namespace velmora
