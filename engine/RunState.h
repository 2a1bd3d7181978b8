#pragma once
// State that a conversion run shares with the SQL Preview window. The main window (or
// the command-line converter) owns it and it lives as long as its owner.
//
// The run yields to window events once per table, field and row. While it yields, the
// preview window may execute, edit or clear `statements`, clear `typeMappings`, and set
// `previewExecuted` and `stopAfterPreview`; it uses `targetConnection` but never replaces
// it. The lists of table names and the counters change only inside the run, and
// `conversionRunning` keeps a second "Start Converting" out while it yields.

#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <string_view>

#include "dataaccess/Connection.h"
#include "engine/StatementList.h"
#include "engine/TypeMappingList.h"

namespace velmora {

class RunState {
  public:
    std::unique_ptr<db::Connection> targetConnection;  // the Paradox folder
    bool previewExecuted = false;   // the last preview executed all its statements
    bool stopAfterPreview = false;  // after a per-table preview: stop, no further table
    // How far the last preview got when it closed without running to the end: the lines
    // it executed (they stay applied) out of all its lines.
    int previewLinesRun = 0;
    int previewLines = 0;
    // Lines skipped in the previews of the current run: they were passed over unrun.
    int previewLinesSkipped = 0;
    bool conversionRunning = false;
    // Set by Cancel, Escape, closing the window or a signal (from any thread or a signal
    // handler); the run stops within a row and leaves the table it was writing as it was.
    std::atomic<bool> cancelRequested{false};
    bool cancelled() const { return cancelRequested.load(std::memory_order_relaxed); }

    StatementList statements;
    TypeMappingList typeMappings;
    QStringList targetTables;  // table names already in the Paradox folder
    QStringList sourceTables;  // the source's user tables

    // The target's answers to the statements sent straight to it during the current run,
    // as they come; each table's share goes into its TableOutcome.
    std::int64_t statementsExecuted = 0;
    std::int64_t statementsFailed = 0;

    // When set, receives every statement the target refuses with the refusal's text.
    std::function<void(std::string_view statement, const QString& error)> onRefused;
    // When set, the statements a preview collects go here as they are made, and
    // `statements` stays empty: a file takes them without a list holding them all first.
    std::function<void(std::string_view statement)> statementSink;
    // When set, receives each range of rows that a damaged source left out of a table
    // ("rows 1,024 to 2,047: data page 2119 lies past the end of the file").
    std::function<void(const QString& table, const QString& range)> onRowsLost;
};

}  // namespace velmora
