#pragma once
// One INSERT statement per source row, the key column "TVXID" numbering the rows from 0
// (with the Access keys, the columns in the order the definition gave them, without it).

#include <QString>
#include <functional>

#include "common/ErrorReport.h"
#include "dataaccess/Recordset.h"
#include "engine/ColumnProfile.h"
#include "engine/RunHost.h"
#include "engine/RunState.h"
#include "engine/TableDefinition.h"
#include "engine/ValueLiterals.h"

namespace velmora {

struct TransferCounts {
    std::int64_t rowsDispatched = 0;
    std::int64_t rowsFailed = 0;
    // The target failed in a way that ends every later table too (full disk, folder gone).
    bool targetLost = false;
    // The target failed in a way that ends this table (those above, a lock, the table's
    // file removed).
    bool tableEnded = false;
    bool cancelled = false;           // the run was cancelled before the last row
    bool abandoned = false;           // `goOn` said to stop before the last row
    std::int64_t rowsUnreadable = 0;  // rows the source could not deliver, left out
};

// The run's steps from runstep::kAnyRows to runstep::kLastRow. Moves the progress bar once
// per row. A fault of the target that ends the table (full disk, folder gone, table held
// by another program) is reported once, saying how far the table got, and its remaining
// rows are not sent. `onRow` hears of each row as it starts: its number (counted from 1)
// and the rows of the table. `profile`, when given, notes the values of every row read;
// `goOn`, when given, is asked before each row and stops the transfer when it says false.
TransferCounts TransferRows(
    const QString& targetName, db::Recordset& sourceRows, const FieldRoles& roles,
    const LiteralWriter& literals, Procedure& proc, RunHost& host, RunState& state,
    const std::function<void(std::int64_t row, std::int64_t rows)>& onRow = {},
    TableProfile* profile = nullptr, const std::function<bool()>& goOn = {});

}  // namespace velmora
