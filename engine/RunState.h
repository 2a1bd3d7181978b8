#pragma once
// State that a conversion run shares with the SQL Preview window. It lives as long as
// the main window (or the command-line converter).

#include <QStringList>
#include <memory>

#include "Connection.h"
#include "StatementList.h"
#include "TypeMappingList.h"

namespace velmora {

class RunState {
  public:
    std::unique_ptr<db::Connection> Paradox_conn;  // the target connection
    bool SQLFormOK = false;                        // the per-file preview executed its statements
    bool StopAfterPreview = false;  // after a per-table preview: stop, no further table
    bool ConversionRunning = false;

    StatementList statements;
    TypeMappingList typeMappings;
    QStringList List1;  // table names already in the Paradox folder
    QStringList List2;  // source tables

    // Statements sent straight to the target during the current run.
    std::int64_t statementsExecuted = 0;
    std::int64_t statementsFailed = 0;
};

}  // namespace velmora
