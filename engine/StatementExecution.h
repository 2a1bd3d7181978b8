#pragma once
// Executes a statement list as the SQL Preview window's Execute SQL does: one Execute
// per line, blank lines skipped, progress before every line. Lines that ran (or were
// blank) are marked executed and passed over next time, so that after a fix execution
// goes on where it stopped instead of creating a table twice; lines the user skipped or
// marked as run are passed over too. An error whose
// description holds "SQLException" stops at its line; any other error is reported and
// the next line follows.

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

ExecutionOutcome ExecuteStatementList(StatementList& statements, db::Connection& connection,
                                      Procedure& proc, ProgressSink& progress, EventPump& pump);

}  // namespace velmora
