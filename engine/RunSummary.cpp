#include "engine/RunSummary.h"

#include <QLocale>
#include <vector>

#include "engine/Verification.h"

namespace velmora {

namespace {

// Tables the verification pass read back with rows that arrived but differ from the
// source (refused and unreadable rows are named elsewhere in the message).
std::vector<TableVerification> differingTables(const RunStatistics& stats) {
    std::vector<TableVerification> differing;
    if (!stats.verified) return differing;
    for (const TableVerification& verified : stats.verification) {
        if (stats.tablesFailed.contains(verified.source)) continue;  // named as not created
        std::int64_t leftOut = 0;
        for (const TableStatistics& table : stats.tables)
            if (table.target == verified.target) leftOut = table.rowsRefused + table.rowsUnreadable;
        if (!verified.targetReadable || verified.identical + leftOut < verified.sourceRows)
            differing.push_back(verified);
    }
    return differing;
}
QString count(std::int64_t n) {
    return QLocale::c().toString(static_cast<qlonglong>(n));
}
}  // namespace

QString RunSummaryText(const RunStatistics& stats, std::int64_t statementsFailed) {
    const std::int64_t otherFailures = statementsFailed - stats.rowsFailed;
    const std::vector<TableVerification> differing = differingTables(stats);
    const bool complete = !stats.previewNotExecuted && stats.tablesSkipped.isEmpty() &&
                          stats.tablesFailed.isEmpty() && stats.tablesPartlyWritten.isEmpty() &&
                          stats.tablesNotReached.isEmpty() && stats.rowsFailed == 0 &&
                          otherFailures <= 0 && stats.previewLinesSkipped == 0 &&
                          stats.tablesWritten.size() == stats.tablesInSource;
    if (complete && differing.empty()) return QStringLiteral("Done.");

    const bool nothingWritten = stats.previewNotExecuted && stats.previewLinesRun == 0 &&
                                stats.tablesWritten.isEmpty() &&
                                stats.tablesPartlyWritten.isEmpty();
    QStringList lines{complete         ? QStringLiteral("Done.")
                      : nothingWritten ? QStringLiteral("Nothing was copied.")
                                       : QStringLiteral("Done, but not everything was copied.")};
    if (stats.previewNotExecuted && stats.previewLinesRun > 0)
        lines << QStringLiteral(
                     "The SQL Preview was closed after %1 of its %2 statements had "
                     "run; what they wrote stays in the folder.")
                     .arg(count(stats.previewLinesRun), count(stats.previewLines));
    else if (stats.previewNotExecuted)
        lines << QStringLiteral("The SQL Preview was closed without executing its statements.");
    else if (!complete)
        lines << QStringLiteral("Tables written: %1 of %2.")
                     .arg(count(stats.tablesWritten.size()), count(stats.tablesInSource));
    if (stats.rowsFailed > 0)
        lines << QStringLiteral("Rows refused: %1 (each was reported with its table and reason).")
                     .arg(count(stats.rowsFailed));
    if (stats.previewLinesSkipped > 0)
        lines << QStringLiteral("Statements skipped in the SQL Preview (not run): %1.")
                     .arg(count(stats.previewLinesSkipped));
    if (otherFailures > 0)
        lines << QStringLiteral("Other statements that failed: %1 (each was reported).")
                     .arg(count(otherFailures));
    if (!stats.tablesFailed.isEmpty())
        lines << QStringLiteral("Tables that could not be created: ") +
                     stats.tablesFailed.join(QStringLiteral(", ")) + u'.';
    if (!stats.tablesPartlyWritten.isEmpty())
        lines << QStringLiteral(
                     "Tables partly written (the SQL Preview was closed after an "
                     "error): ") +
                     stats.tablesPartlyWritten.join(QStringLiteral(", ")) + u'.';
    if (!stats.tablesSkipped.isEmpty())
        lines << QStringLiteral("Tables skipped: ") +
                     stats.tablesSkipped.join(QStringLiteral(", ")) + u'.';
    if (!stats.tablesNotReached.isEmpty())
        lines << QStringLiteral("Tables not reached: ") +
                     stats.tablesNotReached.join(QStringLiteral(", ")) + u'.';
    if (!differing.empty())
        lines << QStringLiteral("Read back, these tables differ from the source:")
              << VerificationSummary(differing).replace(u'\n', QStringLiteral("\r\n"));
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace velmora
