#pragma once
// Proof that a run's tables arrived: each written table is read back through the
// driver; its fields (names, types, sizes) are compared with the run's definition and,
// where the definition kept a field's Access name, with the source's name; its rows are
// compared with the source row by row (matched by TVXID) and value by value, as the
// conversion writes them: both values are turned into the literal the run would write
// for the field, so text, dates to the millisecond, numbers as their shortest exact text
// and long binary data (left out by design) compare as documented.

#include <QString>
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
    bool allIdentical() const {
        return targetReadable && identical == sourceRows && structureDifference.isEmpty();
    }
};

inline constexpr std::size_t kShownDifferences = 5;

struct TablePair {
    QString source;
    QString target;
    std::vector<DefinedColumn> columns;  // the run's definition; empty: not compared
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
