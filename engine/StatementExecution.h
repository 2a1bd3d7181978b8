#pragma once
// Executes a statement list from its first line, as the SQL Preview window's
// Execute SQL does: one Execute per line, blank lines skipped, progress before every
// line. An error whose description holds "SQLException" stops at its line; any other
// error is reported and the next line follows.

#include <QString>

#include "common/ErrorReport.h"
#include "dataaccess/Connection.h"
#include "engine/RunHost.h"
#include "engine/StatementList.h"

namespace velmora {

struct ExecutionOutcome {
    bool stoppedBySqlError = false;
    int errorLine = 0;  // counted from 1
    QString errorText;
};

ExecutionOutcome ExecuteStatementList(const StatementList& statements, db::Connection& connection,
                                      Procedure& proc, ProgressSink& progress, EventPump& pump);

}  // namespace velmora
