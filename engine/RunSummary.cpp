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
        if (!verified.targetReadable || verified.identical + leftOut < verified.sourceRows ||
            !verified.structureDifference.isEmpty())
            differing.push_back(verified);
    }
    return differing;
}
QString count(std::int64_t n) {
    return QLocale::c().toString(static_cast<qlonglong>(n));
}

// "Dates rounded to the millisecond: 5 (Orders 3, Staff 2)." for the tables with any.
QString perTable(const RunStatistics& stats, const QString& what,
                 std::int64_t TableStatistics::*member) {
    std::int64_t total = 0;
    QStringList tables;
    for (const TableStatistics& table : stats.tables)
        if (table.*member > 0) {
            total += table.*member;
            tables << table.target + u' ' + count(table.*member);
        }
    if (total == 0) return {};
    return what + QStringLiteral(": ") + count(total) + QStringLiteral(" (") +
           tables.join(QStringLiteral(", ")) + QStringLiteral(").");
}

// What the run did as documented but did not leave as it found it: tables it leaves out,
// values it rounded or wrote blank.
QStringList notes(const RunStatistics& stats) {
    QStringList lines;
    if (!stats.tablesLeftOut.isEmpty())
        lines << QStringLiteral("Tables left out (Access's own, not a user's): ") +
                     stats.tablesLeftOut.join(QStringLiteral(", ")) + u'.';
    for (const QString& line : {perTable(stats, QStringLiteral("Dates rounded to the millisecond"),
                                         &TableStatistics::datesRounded),
                                perTable(stats, QStringLiteral("Empty binary values written blank"),
                                         &TableStatistics::emptyBinaryValues)})
        if (!line.isEmpty()) lines << line;
    return lines;
}
}  // namespace

QString RunSummaryText(const RunStatistics& stats, std::int64_t statementsFailed) {
    const std::int64_t otherFailures = statementsFailed - stats.rowsFailed;
    const std::vector<TableVerification> differing = differingTables(stats);
    const bool complete = !stats.previewNotExecuted && stats.tablesSkipped.isEmpty() &&
                          stats.tablesFailed.isEmpty() && stats.tablesPartlyWritten.isEmpty() &&
                          stats.tablesNotReached.isEmpty() && stats.rowsFailed == 0 &&
                          otherFailures <= 0 && stats.tablesWritten.size() == stats.tablesInSource;
    if (complete && differing.empty())
        return (QStringList{QStringLiteral("Done.")} + notes(stats)).join(QStringLiteral("\r\n"));

    QStringList lines{complete ? QStringLiteral("Done.")
                               : QStringLiteral("Done, but not everything was copied.")};
    if (stats.previewNotExecuted && stats.previewLinesRun > 0)
        lines << QStringLiteral(
                     "The SQL Preview was closed after %1 of its %2 statements had "
                     "run; what they wrote stays in the folder.")
                     .arg(count(stats.previewLinesRun), count(stats.previewLines));
    else if (stats.previewNotExecuted)
        lines << QStringLiteral(
            "The SQL Preview was closed without executing its statements: no table was written.");
    else if (!complete)
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
    if (!differing.empty())
        lines << QStringLiteral("Read back, these tables differ from the source:")
              << VerificationSummary(differing).replace(u'\n', QStringLiteral("\r\n"));
    lines << notes(stats);
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace velmora
