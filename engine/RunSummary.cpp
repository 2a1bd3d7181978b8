#include "engine/RunSummary.h"

#include <QLocale>

namespace velmora {

namespace {
QString count(std::int64_t n) {
    return QLocale::c().toString(static_cast<qlonglong>(n));
}
}  // namespace

QString RunSummaryText(const RunStatistics& stats, std::int64_t statementsFailed) {
    const std::int64_t otherFailures = statementsFailed - stats.rowsFailed;
    const bool complete = !stats.previewNotExecuted && stats.tablesSkipped.isEmpty() &&
                          stats.tablesFailed.isEmpty() && stats.tablesPartlyWritten.isEmpty() &&
                          stats.tablesNotReached.isEmpty() && stats.rowsFailed == 0 &&
                          otherFailures <= 0 && stats.tablesWritten.size() == stats.tablesInSource;
    if (complete) return QStringLiteral("Done.");

    QStringList lines{QStringLiteral("Done, but not everything was copied.")};
    if (stats.previewNotExecuted && stats.previewLinesRun > 0)
        lines << QStringLiteral(
                     "The SQL Preview was closed after %1 of its %2 statements had "
                     "run; what they wrote stays in the folder.")
                     .arg(count(stats.previewLinesRun), count(stats.previewLines));
    else if (stats.previewNotExecuted)
        lines << QStringLiteral(
            "The SQL Preview was closed without executing its statements: no table was written.");
    else
        lines << QStringLiteral("Tables written: %1 of %2.")
                     .arg(count(stats.tablesWritten.size()), count(stats.tablesInSource));
    if (stats.rowsFailed > 0)
        lines << QStringLiteral("Rows refused: %1 (each was reported with its table and reason).")
                     .arg(count(stats.rowsFailed));
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
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace velmora
