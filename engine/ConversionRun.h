#pragma once
// One conversion run: every user table of the Access database, last listed first,
// into the Paradox folder, as "Start Converting" does it. Its phases:
//  1. the target folder: offer a space-free copy, insist on a table there (or accept a
//     new folder on request), list the tables already there and the source's tables;
//  2. open the source connection and the target connection;
//  3. each source table in turn (TableRun): its target name, the overwrite question,
//     DROP TABLE, the definition (CREATE TABLE, CREATE INDEX, type mappings), then one
//     INSERT per row;
//  4. every statement goes to the target at once or into the preview's list, which is
//     shown after each table or once after the last;
//  5. when the tables were written, read them back and compare them with the source;
//  6. close both connections and say "Done.", or what the run left out.
// Every step reports its own failure through the error report and the run goes on.

#include <QLocale>
#include <QStringList>
#include <optional>

#include "engine/RunHost.h"
#include "engine/RunOptions.h"
#include "engine/RunState.h"
#include "engine/RunStatistics.h"

namespace velmora {

class ConversionRun {
  public:
    ConversionRun(RunHost& host, RunState& state, QLocale locale = QLocale::system(),
                  RunOptions options = {})
        : host_(host), state_(state), locale_(std::move(locale)), options_(options) {}

    // Returns at once when a run is already under way.
    void start();

    const RunStatistics& statistics() const { return stats_; }

  private:
    struct Session;

    bool findTargetFolder(Session& run);
    void openConnections(Session& run);
    // Records the first `count` tables of the source as not reached.
    void notReached(int count);
    void showFilePreview(Session& run);
    void verify(Session& run);
    void finish(Session& run);

    RunHost& host_;
    RunState& state_;
    QLocale locale_;
    RunOptions options_;
    RunStatistics stats_;
    QStringList leftOut_;  // tables of Access's own that hold rows, which no run converts
};

}  // namespace velmora
