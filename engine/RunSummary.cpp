#include "engine/RunSummary.h"

#include <QLocale>
#include <QStringList>
#include <initializer_list>
#include <vector>

#include "common/Helpers.h"
#include "engine/SourceLosses.h"

namespace velmora {

namespace {

// Tables the verification pass read back with rows that arrived but differ from the
// source (refused and unreadable rows are named elsewhere in the message).
std::vector<TableVerification> differingTables(const RunStatistics& stats) {
    std::vector<TableVerification> differing;
    if (!stats.verified) return differing;
    for (const TableOutcome& table : stats.tables) {
        if (!table.verification || table.result == TableResult::Failed) continue;  // not created
        const TableVerification& verified = *table.verification;
        const std::int64_t leftOut = table.rowsRefused + table.rowsUnreadable;
        if (!verified.targetReadable || verified.identical + leftOut < verified.sourceRows ||
            !verified.structureDifference.isEmpty() || !verified.indexProblems.isEmpty())
            differing.push_back(verified);
    }
    return differing;
}

// The source names of the tables with one of `results`, in the order of the records.
QStringList tablesWith(const RunStatistics& stats, std::initializer_list<TableResult> results) {
    QStringList names;
    for (const TableOutcome& table : stats.tables)
        for (const TableResult result : results)
            if (table.result == result) names << ShownName(table.source);
    return names;
}

QString count(std::int64_t n) {
    return QLocale::c().toString(static_cast<qlonglong>(n));
}

// "Dates rounded to the millisecond: 5 (Orders 3, Staff 2)." for the tables with any.
QString perTable(const RunStatistics& stats, const QString& what,
                 std::int64_t TableOutcome::*member) {
    std::int64_t total = 0;
    QStringList tables;
    for (const TableOutcome& table : stats.tables)
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
    // The user's own choice (--unmappable replace), counted but no failure.
    if (const std::int64_t respelled = stats.rowsRespelled(); respelled > 0)
        lines << QStringLiteral(
                     "Rows written with a best-fit spelling: %1 (characters the table's code page "
                     "cannot hold became their nearest letters or \"?\").")
                     .arg(count(respelled));
    const QStringList leftOut = tablesWith(stats, {TableResult::LeftOut});
    if (!leftOut.isEmpty())
        lines << QStringLiteral("Tables left out (Access's own, not a user's): ") +
                     leftOut.join(QStringLiteral(", ")) + u'.';
    for (const QString& line : {perTable(stats, QStringLiteral("Dates rounded to the millisecond"),
                                         &TableOutcome::datesRounded),
                                perTable(stats, QStringLiteral("Empty binary values written blank"),
                                         &TableOutcome::emptyBinaryValues)})
        if (!line.isEmpty()) lines << line;
    if (stats.relationshipsAdded > 0)
        lines << QStringLiteral(
                     "Relationships added after the tables: %1 (ALTER TABLE ... ADD FOREIGN KEY).")
                     .arg(stats.relationshipsAdded);
    if (!stats.schemaReport.isEmpty()) {
        constexpr int kShown = 10;
        lines << QStringLiteral("Rules not carried to Paradox: %1 (the schema report lists each):")
                     .arg(count(static_cast<std::int64_t>(stats.schemaReport.size())));
        lines << stats.schemaReport.mid(0, kShown);
        if (stats.schemaReport.size() > kShown)
            lines << QStringLiteral("... and %1 more.")
                         .arg(count(static_cast<std::int64_t>(stats.schemaReport.size() - kShown)));
    }
    return lines;
}

// What a damaged source could not give: the fields and rows left out, the pages a cut-short file
// lacks, a damaged catalogue of tables.
QStringList sourceDamage(const RunStatistics& stats) {
    std::int64_t pagesMissing = 0;
    bool lostCountKnown = true;
    QStringList tables;
    for (const TableOutcome& table : stats.tables) {
        if (table.rowsLost == 0 && table.rowsLostKnown) continue;
        lostCountKnown = lostCountKnown && table.rowsLostKnown;
        pagesMissing += table.pagesMissing;
        tables << table.source;
    }
    QStringList fields;
    for (const TableOutcome& table : stats.tables)
        for (const QString& field : table.fieldsLost) fields << table.source + u'.' + field;
    QStringList lines;
    if (!fields.isEmpty())
        lines << QStringLiteral(
                     "Fields left out because the source is damaged: %1 (each table's report "
                     "says why).")
                     .arg(fields.join(QStringLiteral(", ")));
    if (!tables.isEmpty())
        lines << QStringLiteral(
                     "Rows left out because the source is damaged: %1%2 in %3 (each table's "
                     "report names them).")
                     .arg(lostCountKnown ? QString() : QStringLiteral("at least "),
                          GroupedCount(stats.rowsLost()), tables.join(QStringLiteral(", ")));
    if (pagesMissing > 0)
        lines << QStringLiteral(
                     "The source file is cut short: %1 pages its tables use lie past its end.")
                     .arg(GroupedCount(pagesMissing));
    if (!stats.catalogueDamage.isEmpty())
        lines << QStringLiteral("The source's catalogue of tables is damaged; ") +
                     (stats.recoveredTables.isEmpty()
                          ? QStringLiteral("no table was found beyond those it still names.")
                          : QStringLiteral("these tables were found from their definitions: ") +
                                stats.recoveredTables.join(QStringLiteral(", ")) + u'.');
    return lines;
}

}  // namespace

QString RunSummaryText(const RunStatistics& stats) {
    if (!stats.startFailure.isEmpty()) return stats.startFailure;
    const std::int64_t rowsRefused = stats.rowsRefused();
    const std::int64_t otherFailures = stats.statementsFailed() - rowsRefused;
    const std::int64_t rowsUnreadable = stats.rowsUnreadable();
    const int written = stats.count(TableResult::Written);
    // Tables of Access's own are not the user's to copy: named below, not counted.
    const int listed = static_cast<int>(stats.tables.size()) - stats.count(TableResult::LeftOut);
    const std::vector<TableVerification> differing = differingTables(stats);
    int indexesNotWritten = 0;
    for (const TableOutcome& table : stats.tables) indexesNotWritten += table.indexesNotWritten;
    const QStringList damage = sourceDamage(stats);
    const bool complete = stats.complete();
    if (complete && differing.empty())
        return (QStringList{QStringLiteral("Done.")} + notes(stats)).join(QStringLiteral("\r\n"));

    // A preview per file closed before its first line: not one statement went in.
    const bool nothingWritten = stats.previewNotExecuted && stats.previewLinesRun == 0;
    QStringList lines{complete          ? QStringLiteral("Done.")
                      : stats.cancelled ? QStringLiteral("Cancelled: not everything was copied.")
                      : nothingWritten  ? QStringLiteral("Nothing was copied.")
                                        : QStringLiteral("Done, but not everything was copied.")};
    if (stats.previewNotExecuted && stats.previewLinesRun > 0)
        lines << QStringLiteral(
                     "The SQL Preview was closed after %1 of its %2 statements had "
                     "run; the tables it completed stay in the folder, the others are as they "
                     "were.")
                     .arg(count(stats.previewLinesRun), count(stats.previewLines));
    else if (stats.previewNotExecuted)
        lines << QStringLiteral("The SQL Preview was closed without executing its statements.");
    else if (!complete)
        lines << QStringLiteral("Tables written: %1 of %2.").arg(count(written), count(listed));
    if (rowsRefused > 0)
        lines << QStringLiteral("Rows refused: %1 (each was reported with its table and reason).")
                     .arg(count(rowsRefused));
    if (stats.previewLinesSkipped > 0)
        lines << QStringLiteral("Statements skipped in the SQL Preview (not run): %1.")
                     .arg(count(stats.previewLinesSkipped));
    if (rowsUnreadable > 0)
        lines << QStringLiteral(
                     "Rows that could not be read from the source: %1 (each was reported).")
                     .arg(count(rowsUnreadable));
    if (otherFailures > 0)
        lines << QStringLiteral("Other statements that failed: %1 (each was reported).")
                     .arg(count(otherFailures));
    if (indexesNotWritten > 0)
        lines << QStringLiteral("Indexes not written: %1 (each was reported with its reason).")
                     .arg(count(indexesNotWritten));
    lines << damage;
    const auto name = [&](const QString& heading, std::initializer_list<TableResult> results) {
        const QStringList tables = tablesWith(stats, results);
        if (!tables.isEmpty()) lines << heading + tables.join(QStringLiteral(", ")) + u'.';
    };
    name(QStringLiteral("Tables that could not be written (each is as it was): "),
         {TableResult::Failed});
    name(QStringLiteral("Tables partly written (the SQL Preview was closed after an error): "),
         {TableResult::PartlyWritten});
    name(QStringLiteral("Tables skipped: "),
         {TableResult::Declined, TableResult::Unreadable, TableResult::NotExecuted});
    if (stats.cancelled)
        name(QStringLiteral("Tables left as they were: "),
             {TableResult::Cancelled, TableResult::NotReached});
    else
        name(QStringLiteral("Tables not reached: "), {TableResult::NotReached});
    if (written == 0 && listed > 0 && stats.count(TableResult::Declined) == listed)
        lines << QStringLiteral("Every table was kept at the overwrite question.");
    if (!differing.empty())
        lines << QStringLiteral("Read back, these tables differ from the source:")
              << VerificationSummary(differing).replace(u'\n', QStringLiteral("\r\n"));
    lines << notes(stats);
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace velmora
