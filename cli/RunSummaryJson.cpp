#include "cli/RunSummaryJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "common/AppInfo.h"

namespace velmora {

namespace {

QString outcomeOf(const TableOutcome& table, bool listed) {
    switch (table.result) {
        case TableResult::Failed:
            return QStringLiteral("failed");
        case TableResult::Unreadable:
            return QStringLiteral("unreadable");
        case TableResult::Declined:
            return QStringLiteral("declined");
        case TableResult::NotReached:
            return QStringLiteral("not_reached");
        case TableResult::Cancelled:
            return QStringLiteral("cancelled");
        case TableResult::LeftOut:
            return QStringLiteral("left_out");
        case TableResult::Written:
        case TableResult::PartlyWritten:
        case TableResult::NotExecuted:
            break;
    }
    if (listed) return QStringLiteral("listed");
    if (table.result == TableResult::Written) return QStringLiteral("written");
    if (table.result == TableResult::PartlyWritten) return QStringLiteral("partly_written");
    return QStringLiteral("not_written");
}

QJsonValue verificationOf(const TableOutcome& table, const RunStatistics& stats) {
    if (!stats.verified || !table.verification) return QJsonValue::Null;
    const TableVerification& v = *table.verification;
    QJsonArray differing;
    for (const std::int64_t tvxid : v.firstDiffering) differing.append(qint64(tvxid));
    return QJsonObject{
        {"target_readable", v.targetReadable},
        {"rows_compared", qint64(v.sourceRows)},
        {"rows_identical", qint64(v.identical)},
        {"all_identical", v.allIdentical()},
        {"first_differing_tvxids", differing},
        {"field_difference", v.structureDifference.isEmpty() ? QJsonValue(QJsonValue::Null)
                                                             : QJsonValue(v.structureDifference)},
        {"index_problems", QJsonArray::fromStringList(v.indexProblems)}};
}

// With --keys access, how the table is keyed and what became of its indexes.
QJsonValue keysOf(const TableOutcome& t, bool accessKeys) {
    if (!accessKeys) return QJsonValue::Null;
    return QJsonObject{{"primary_key", t.keyedOnAccess},
                       {"indexes_written", t.indexesWritten},
                       {"indexes_not_written", t.indexesNotWritten},
                       {"autoincrement_fields", t.autoIncrementFields}};
}

// A table kept at the overwrite question, not reached, or of Access's own: nothing of it
// was written.
bool leftAlone(const TableOutcome& table) {
    return table.result == TableResult::Declined || table.result == TableResult::NotReached ||
           table.result == TableResult::LeftOut;
}

QJsonObject tableObject(const TableOutcome& t, const RunStatistics& stats, bool listed,
                        bool accessKeys) {
    if (leftAlone(t))
        return QJsonObject{{"source", t.source},
                           {"target", QJsonValue::Null},
                           {"code_page", QJsonValue::Null},
                           {"outcome", outcomeOf(t, listed)},
                           {"rows_in_source", QJsonValue::Null},
                           {"rows_read", 0},
                           {"rows_written", 0},
                           {"rows_refused", 0},
                           {"rows_unreadable", 0},
                           {"rows_lost", 0},
                           {"pages_missing", 0},
                           {"fields_lost", QJsonArray()},
                           {"dates_rounded", 0},
                           {"empty_binary_values", 0},
                           {"keys", QJsonValue::Null},
                           {"verification", QJsonValue::Null}};
    return QJsonObject{
        {"source", t.source},
        {"target", t.target},
        {"code_page", t.codePage > 0 ? QJsonValue(t.codePage) : QJsonValue(QJsonValue::Null)},
        {"outcome", outcomeOf(t, listed)},
        {"rows_in_source", qint64(t.rowsInSource)},
        {"rows_read", qint64(t.rowsRead)},
        {"rows_written", qint64(t.rowsWritten)},
        {"rows_refused", qint64(t.rowsRefused)},
        {"rows_unreadable", qint64(t.rowsUnreadable)},
        {"rows_respelled", qint64(t.rowsRespelled)},
        // Null when the damaged source could not tell how many rows it lost.
        {"rows_lost", t.rowsLostKnown ? QJsonValue(qint64(t.rowsLost)) : QJsonValue::Null},
        {"pages_missing", qint64(t.pagesMissing)},
        {"fields_lost", QJsonArray::fromStringList(t.fieldsLost)},
        {"dates_rounded", qint64(t.datesRounded)},
        {"empty_binary_values", qint64(t.emptyBinaryValues)},
        {"keys", keysOf(t, accessKeys)},
        {"verification", verificationOf(t, stats)}};
}

// Null when the source's catalogue of tables was read whole.
QJsonValue sourceDamageOf(const RunStatistics& stats) {
    if (stats.catalogueDamage.isEmpty()) return QJsonValue::Null;
    return QJsonObject{{"catalogue", stats.catalogueDamage},
                       {"recovered_tables", QJsonArray::fromStringList(stats.recoveredTables)}};
}

// With --rules access: the relationships added and every rule left behind, with its reason.
QJsonValue rulesOf(const RunStatistics& stats, bool accessRules) {
    if (!accessRules) return QJsonValue::Null;
    return QJsonObject{{"relationships_added", stats.relationshipsAdded},
                       {"relationships_refused", stats.relationshipsRefused},
                       {"schema_report", QJsonArray::fromStringList(stats.schemaReport)}};
}

}  // namespace

QString RunSummaryJson(const CommandLine& command, const RunStatistics& stats, int reports,
                       int exitStatus) {
    const bool listed = !command.sqlFile.isEmpty();
    // The tables the run worked on in the order it met them, then those it declined, then
    // those it did not reach, as the format has always listed them, then those it leaves out.
    QJsonArray tables;
    std::int64_t tablesWritten = 0;
    for (const TableOutcome& t : stats.tables) {
        if (leftAlone(t)) continue;
        const QJsonObject table = tableObject(t, stats, listed, command.accessKeys);
        const QString outcome = table.value(QStringLiteral("outcome")).toString();
        if (outcome == QLatin1String("written") || outcome == QLatin1String("listed"))
            ++tablesWritten;
        tables.append(table);
    }
    for (const TableResult last :
         {TableResult::Declined, TableResult::NotReached, TableResult::LeftOut})
        for (const TableOutcome& t : stats.tables)
            if (t.result == last) tables.append(tableObject(t, stats, listed, command.accessKeys));

    const QJsonObject totals{{"tables", tables.size()},
                             {"tables_written", qint64(tablesWritten)},
                             {"rows_read", qint64(stats.rowsRead())},
                             {"rows_written", qint64(stats.rowsWritten())},
                             {"rows_refused", qint64(stats.rowsRefused())},
                             {"rows_unreadable", qint64(stats.rowsUnreadable())},
                             {"rows_respelled", qint64(stats.rowsRespelled())},
                             {"rows_lost", qint64(stats.rowsLost())},
                             {"statements_failed", qint64(stats.statementsFailed())},
                             {"errors_reported", reports}};
    const QJsonObject summary{{"format_version", kSummaryFormatVersion},
                              {"program", QStringLiteral("velmora-convert ") + programVersion()},
                              {"source", command.source},
                              {"target_folder", command.target},
                              {"statements_only", listed},
                              {"tables", tables},
                              {"source_damage", sourceDamageOf(stats)},
                              {"rules", rulesOf(stats, command.accessRules)},
                              {"totals", totals},
                              {"verified", stats.verified},
                              {"cancelled", stats.cancelled},
                              {"exit_status", exitStatus}};
    return QString::fromUtf8(QJsonDocument(summary).toJson(QJsonDocument::Indented));
}

}  // namespace velmora
