#pragma once
// Proof that a run's tables arrived: each written table is read back through the
// driver; its fields (names, types, sizes) are compared with the run's definition and,
// where the definition kept a field's Access name, with the source's name; its rows are
// compared with the source row by row (matched by TVXID, or by the key of a table keyed on
// its Access primary key, found through the primary index where it is out of key order)
// and value by value, as the
// conversion writes them: both values are turned into the literal the run would write
// for the field, so text, dates to the millisecond, numbers as their shortest exact text
// and long binary data (left out by design) compare as documented.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "dataaccess/Connection.h"
#include "engine/TableDefinition.h"

namespace velmora {

struct TableVerification {
    QString source;
    QString target;
    bool targetReadable = true;
    std::int64_t sourceRows = 0;  // rows the source delivered
    std::int64_t identical = 0;
    std::vector<std::int64_t> firstDiffering;  // TVXIDs, at most kShownDifferences
    QString firstDifference;                   // what differs in the first of them
    QString structureDifference;               // the first field that differs from the definition
    QStringList indexProblems;                 // indexes of the target that do not find every row
    bool allIdentical() const {
        return targetReadable && identical == sourceRows && structureDifference.isEmpty() &&
               indexProblems.isEmpty();
    }
};

inline constexpr std::size_t kShownDifferences = 5;

struct TablePair {
    QString source;
    QString target;
    std::vector<DefinedColumn> columns = {};  // the run's definition; empty: not compared
    // The source ordinals in the order of the target's columns (empty: the source's order
    // after "TVXID"). A table keyed on its Access primary key names its key (ordinals and
    // quoted target columns): its rows are found by the key instead.
    std::vector<int> columnOrder = {};
    std::vector<int> keyOrdinals = {};
    QStringList keyColumns = {};
};

// Told before each row is compared: the table's place in the list, the rows compared so
// far and the rows the source table holds; false stops the reading (the run was cancelled).
using VerificationProgress =
    std::function<bool(std::size_t table, std::int64_t rowsDone, std::int64_t rows)>;

// Verifies each source table against its target table.
std::vector<TableVerification> VerifyTables(const std::vector<TablePair>& tables,
                                            db::Connection& source, db::Connection& target,
                                            const VerificationProgress& onRow = {});

// One line per table: "Orders: 184 of 200 rows verified identical; first differing rows
// (TVXID): 39, 41 (...)", and what differs in its fields.
QString VerificationSummary(const std::vector<TableVerification>& results);

}  // namespace velmora
