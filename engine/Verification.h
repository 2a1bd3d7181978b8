#pragma once
// Proof that a run's tables arrived: each written table is read back through the
// driver and compared with its source row by row (matched by TVXID, or looked up through
// the primary index when the table is keyed on its Access primary key) and value by
// value, as the conversion writes them: both values are turned into the literal the run
// would write for the field, so text, dates to the second, numbers as their shortest
// exact text and long binary data (left out by design) compare as documented. Then
// every row is looked up through each index of the table (CHECK INDEX) and must be found.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "dataaccess/Connection.h"

namespace velmora {

struct TableVerification {
    QString source;
    QString target;
    bool targetReadable = true;
    std::int64_t sourceRows = 0;  // rows the source delivered
    std::int64_t identical = 0;
    std::vector<std::int64_t> firstDiffering;  // TVXIDs, at most kShownDifferences
    QString firstDifference;                   // what differs in the first of them
    QStringList indexProblems;                 // indexes of the target that do not find every row
    bool allIdentical() const {
        return targetReadable && identical == sourceRows && indexProblems.isEmpty();
    }
};

inline constexpr std::size_t kShownDifferences = 5;

struct TablePair {
    QString source;
    QString target;
    // The source ordinals in the order of the target's columns (empty: the source's order
    // after "TVXID"). A table keyed on its Access primary key names its key (ordinals and
    // quoted target columns): its rows are looked up through the key instead.
    std::vector<int> columnOrder;
    std::vector<int> keyOrdinals;
    QStringList keyColumns;
};

// Verifies each source table against its target table.
std::vector<TableVerification> VerifyTables(const std::vector<TablePair>& tables,
                                            db::Connection& source, db::Connection& target);

// One line per table: "Orders: 184 of 200 rows verified identical; first differing rows
// (TVXID): 39, 41 (...)".
QString VerificationSummary(const std::vector<TableVerification>& results);

}  // namespace velmora
