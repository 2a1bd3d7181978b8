#pragma once
// Proof that a run's tables arrived: each written table is read back through the
// driver and compared with its source row by row (matched by TVXID) and value by
// value, as the conversion writes them: both values are turned into the literal the
// run would write for the field, so text, dates to the second, numbers as their
// shortest exact text and long binary data (left out by design) compare as documented.

#include <QString>
#include <cstdint>
#include <functional>
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
    bool allIdentical() const { return targetReadable && identical == sourceRows; }
};

inline constexpr std::size_t kShownDifferences = 5;

struct TablePair {
    QString source;
    QString target;
};

// Told before each row is compared: the table's place in the list, the rows compared so
// far and the rows the source table holds.
using VerificationProgress =
    std::function<void(std::size_t table, std::int64_t rowsDone, std::int64_t rows)>;

// Verifies each source table against its target table.
std::vector<TableVerification> VerifyTables(const std::vector<TablePair>& tables,
                                            db::Connection& source, db::Connection& target,
                                            const VerificationProgress& onRow = {});

// One line per table: "Orders: 184 of 200 rows verified identical; first differing rows
// (TVXID): 39, 41 (...)".
QString VerificationSummary(const std::vector<TableVerification>& results);

}  // namespace velmora
