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
#include <functional>
#include <memory>
#include <string_view>

#include "dataaccess/Connection.h"
#include "engine/StatementList.h"
#include "engine/TypeMappingList.h"

namespace velmora {

class RunState {
  public:
    std::unique_ptr<db::Connection> targetConnection;  // Paradox_conn
    bool previewExecuted = false;   // SQLFormOK: the per-file preview executed its statements
    bool stopAfterPreview = false;  // after a per-table preview: stop, no further table
    // How far the last preview got when it closed without running to the end: the lines
    // it executed (they stay applied) out of all its lines.
    int previewLinesRun = 0;
    int previewLines = 0;
    // Lines skipped in the previews of the current run: they were passed over unrun.
    int previewLinesSkipped = 0;
    bool conversionRunning = false;

    StatementList statements;
    TypeMappingList typeMappings;
    QStringList targetTables;  // List1: table names already in the Paradox folder
    QStringList sourceTables;  // List2: the source's user tables

    // Statements sent straight to the target during the current run.
    std::int64_t statementsExecuted = 0;
    std::int64_t statementsFailed = 0;

    // When set, receives every statement the target refuses with the refusal's text.
    std::function<void(std::string_view statement, const QString& error)> onRefused;
};

}  // namespace velmora
