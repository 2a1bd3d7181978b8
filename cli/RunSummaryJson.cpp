#include "cli/RunSummaryJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "common/AppInfo.h"
#include "engine/RunState.h"

namespace velmora {

namespace {

QString outcomeOf(const TableStatistics& table, const RunStatistics& stats, bool listed) {
    if (stats.tablesFailed.contains(table.source)) return QStringLiteral("failed");
    if (!table.read) return QStringLiteral("unreadable");
    if (listed) return QStringLiteral("listed");
    if (stats.tablesWritten.contains(table.source)) return QStringLiteral("written");
    if (stats.tablesPartlyWritten.contains(table.source)) return QStringLiteral("partly_written");
    return QStringLiteral("not_written");
}

QJsonValue verificationOf(const QString& source, const RunStatistics& stats) {
    if (!stats.verified) return QJsonValue::Null;
    for (const TableVerification& v : stats.verification) {
        if (v.source != source) continue;
        QJsonArray differing;
        for (const std::int64_t tvxid : v.firstDiffering) differing.append(qint64(tvxid));
        return QJsonObject{{"target_readable", v.targetReadable},
                           {"rows_compared", qint64(v.sourceRows)},
                           {"rows_identical", qint64(v.identical)},
                           {"all_identical", v.allIdentical()},
                           {"first_differing_tvxids", differing}};
    }
    return QJsonValue::Null;
}

// A table the run met but made no record of: kept at the overwrite question, or not
// reached.
QJsonObject unrecordedTable(const QString& source, const QString& outcome) {
    return QJsonObject{{"source", source},
                       {"target", QJsonValue::Null},
                       {"code_page", QJsonValue::Null},
                       {"outcome", outcome},
                       {"rows_in_source", QJsonValue::Null},
                       {"rows_read", 0},
                       {"rows_written", 0},
                       {"rows_refused", 0},
                       {"rows_unreadable", 0},
                       {"rows_lost", 0},
                       {"pages_missing", 0},
                       {"verification", QJsonValue::Null}};
}

// Null when the source's catalogue of tables was read whole.
QJsonValue sourceDamageOf(const RunStatistics& stats) {
    if (stats.catalogueDamage.isEmpty()) return QJsonValue::Null;
    return QJsonObject{{"catalogue", stats.catalogueDamage},
                       {"recovered_tables", QJsonArray::fromStringList(stats.recoveredTables)}};
}

}  // namespace

QString RunSummaryJson(const CommandLine& command, const RunStatistics& stats,
                       const RunState& state, int reports, int exitStatus) {
    const bool listed = !command.sqlFile.isEmpty();
    QJsonArray tables;
    QStringList recorded;
    std::int64_t read = 0, written = 0, refused = 0, unreadable = 0, lost = 0, tablesWritten = 0;
    for (const TableStatistics& t : stats.tables) {
        const QString outcome = outcomeOf(t, stats, listed);
        recorded << t.source;
        read += t.rowsRead;
        written += t.rowsWritten;
        refused += t.rowsRefused;
        unreadable += t.rowsUnreadable;
        lost += t.rowsLost;
        if (outcome == QLatin1String("written") || outcome == QLatin1String("listed"))
            ++tablesWritten;
        tables.append(QJsonObject{
            {"source", t.source},
            {"target", t.target},
            {"code_page", t.codePage > 0 ? QJsonValue(t.codePage) : QJsonValue(QJsonValue::Null)},
            {"outcome", outcome},
            {"rows_in_source", qint64(t.rowsInSource)},
            {"rows_read", qint64(t.rowsRead)},
            {"rows_written", qint64(t.rowsWritten)},
            {"rows_refused", qint64(t.rowsRefused)},
            {"rows_unreadable", qint64(t.rowsUnreadable)},
            // Null when the damaged source could not tell how many rows it lost.
            {"rows_lost", t.rowsLostKnown ? QJsonValue(qint64(t.rowsLost)) : QJsonValue::Null},
            {"pages_missing", qint64(t.pagesMissing)},
            {"verification", verificationOf(t.source, stats)}});
    }
    for (const QString& name : stats.tablesSkipped)
        if (!recorded.contains(name))
            tables.append(unrecordedTable(name, QStringLiteral("declined")));
    for (const QString& name : stats.tablesNotReached)
        tables.append(unrecordedTable(name, QStringLiteral("not_reached")));

    const QJsonObject totals{
        {"tables", tables.size()},         {"tables_written", qint64(tablesWritten)},
        {"rows_read", qint64(read)},       {"rows_written", qint64(written)},
        {"rows_refused", qint64(refused)}, {"rows_unreadable", qint64(unreadable)},
        {"rows_lost", qint64(lost)},       {"statements_failed", qint64(state.statementsFailed)},
        {"errors_reported", reports}};
    const QJsonObject summary{{"format_version", kSummaryFormatVersion},
                              {"program", QStringLiteral("velmora-convert ") + programVersion()},
                              {"source", command.source},
                              {"target_folder", command.target},
                              {"statements_only", listed},
                              {"tables", tables},
                              {"source_damage", sourceDamageOf(stats)},
                              {"totals", totals},
                              {"verified", stats.verified},
                              {"exit_status", exitStatus}};
    return QString::fromUtf8(QJsonDocument(summary).toJson(QJsonDocument::Indented));
}

}  // namespace velmora
