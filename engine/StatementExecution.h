#pragma once
// Executes a statement list as the SQL Preview window's Execute SQL does: one Execute
// per line, blank lines skipped, progress before every line. Lines that ran (or were
// blank) are marked executed and passed over next time, so that after a fix execution
// goes on where it stopped instead of creating a table twice; lines the user skipped or
// marked as run are passed over too. An error whose
// description holds "SQLException" stops at its line; any other error is reported and
// the next line follows, except inside a table's statements, where it stops too.
//
// The statements of one table, from its DROP TABLE or CREATE TABLE to the last statement
// about it, run in one transaction of the target: the table takes its new form only when
// the next table's statements begin or the list ends, so a table is never left half
// replaced. An SQL error keeps the transaction open for the fixed line; a cancel, or a
// window closed before the table's end, rolls it back, and its lines are to run again.

#include <QString>
#include <atomic>

#include "common/ErrorReport.h"
#include "dataaccess/Connection.h"
#include "engine/RunHost.h"
#include "engine/StatementList.h"

namespace velmora {

struct ExecutionOutcome {
    bool cancelled = false;
    bool stoppedBySqlError = false;
    int errorLine = 0;  // counted from 1
    QString errorText;
};

// The table whose statements are running in a transaction; kept between executions of
// one list.
struct TableTransaction {
    QString table;       // empty when none is open
    int firstLine = -1;  // its first statement, counted from 0
};

// `cancel`, when set, stops before the next line and rolls the open table back.
// `endsList` false: more statements follow in a later list (a file read in batches), so
// the last table stays open.
ExecutionOutcome ExecuteStatementList(StatementList& statements, db::Connection& connection,
                                      Procedure& proc, ProgressSink& progress, EventPump& pump,
                                      TableTransaction& transaction,
                                      const std::atomic<bool>* cancel = nullptr,
                                      bool endsList = true);

// Leaves the open table as it was, its lines to run again.
void RollBackTable(StatementList& statements, db::Connection& connection,
                   TableTransaction& transaction);

}  // namespace velmora
