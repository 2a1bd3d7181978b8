#include "engine/RunStatistics.h"

#include <algorithm>
#include <numeric>

namespace velmora {

namespace {

std::int64_t sum(const std::vector<TableOutcome>& tables,
                 std::int64_t (*field)(const TableOutcome&)) {
    return std::accumulate(
        tables.begin(), tables.end(), std::int64_t{0},
        [field](std::int64_t total, const TableOutcome& t) { return total + field(t); });
}

}  // namespace

int RunStatistics::count(TableResult result) const {
    return static_cast<int>(std::count_if(tables.begin(), tables.end(),
                                          [result](const auto& t) { return t.result == result; }));
}

int RunStatistics::tablesProcessed() const {
    return static_cast<int>(
        std::count_if(tables.begin(), tables.end(), [](const auto& t) { return t.rowsSent; }));
}

std::int64_t RunStatistics::rowsRead() const {
    return sum(tables, [](const TableOutcome& t) { return t.rowsRead; });
}

std::int64_t RunStatistics::rowsWritten() const {
    return sum(tables, [](const TableOutcome& t) { return t.rowsWritten; });
}

std::int64_t RunStatistics::rowsRefused() const {
    return sum(tables, [](const TableOutcome& t) { return t.rowsRefused; });
}

std::int64_t RunStatistics::rowsUnreadable() const {
    return sum(tables, [](const TableOutcome& t) { return t.rowsUnreadable; });
}

std::int64_t RunStatistics::rowsLost() const {
    return sum(tables, [](const TableOutcome& t) { return t.rowsLost; });
}

std::int64_t RunStatistics::rowsRespelled() const {
    return sum(tables, [](const TableOutcome& t) { return t.rowsRespelled; });
}

bool RunStatistics::complete() const {
    return startFailure.isEmpty() && !cancelled && !previewNotExecuted && statementsFailed() == 0 &&
           catalogueDamage.isEmpty() && previewLinesSkipped == 0 &&
           std::all_of(tables.begin(), tables.end(), [](const auto& t) {
               return t.result == TableResult::LeftOut || t.complete();
           });
}

std::int64_t RunStatistics::statementsFailed() const {
    return relationshipsRefused +
           sum(tables, [](const TableOutcome& t) { return t.statementsFailed; });
}

std::vector<TableVerification> RunStatistics::verification() const {
    std::vector<TableVerification> results;
    for (const TableOutcome& t : tables)
        if (t.verification) results.push_back(*t.verification);
    return results;
}

}  // namespace velmora
