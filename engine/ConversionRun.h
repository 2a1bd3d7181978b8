#pragma once
// One conversion run: every user table of the Access database, last listed first,
// into the Paradox folder, as "Start Converting" does it. Its phases:
//  1. the target folder: offer a space-free copy, insist on a table there (or accept a
//     new folder on request);
//  2. open the source and list its tables: a source that cannot be opened is one message
//     and the end of the run, before anything in the folder changed;
//  3. create the folder when it is new, list its tables and open the target connection;
//  4. each source table in turn (TableRun): its target name, the overwrite question,
//     DROP TABLE, the definition (CREATE TABLE, CREATE INDEX, type mappings), then one
//     INSERT per row;
//  5. every statement goes to the target at once or into the preview's list, which is
//     shown after each table or once after the last;
//  6. with the rules, the relationships between the tables written (engine/Relationships.h);
//  7. when the tables were written, read them back and compare them with the source;
//  8. close both connections and say "Done." when the records say every table was
//     written whole, or what the run left out.
// Every step reports its own failure through the error report and the run goes on. A
// cancel (RunState::cancelRequested) stops it within a row: the table being written is
// left as it was, and the final message names every table left so.

#include <QLocale>
#include <QStringList>
#include <optional>

#include "engine/RunHost.h"
#include "engine/RunOptions.h"
#include "engine/RunState.h"
#include "engine/RunStatistics.h"
#include "engine/SourceRules.h"

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
    bool openSource(Session& run);
    bool openTarget(Session& run);
    void convertTables(Session& run);
    // With the rules, after the last table: the relationships Paradox holds are added.
    void addRelationships(Session& run, const SourceRules& rules);
    // Ends a run that could not start: `why` is its one message.
    void notStarted(Session& run, const QString& why);
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
