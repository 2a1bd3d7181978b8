#include "cli/BatchReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>

#include "common/AppInfo.h"

namespace velmora {

namespace {

constexpr DatabaseOutcome kOutcomes[] = {
    DatabaseOutcome::Complete,   DatabaseOutcome::Incomplete, DatabaseOutcome::NotStarted,
    DatabaseOutcome::NoPassword, DatabaseOutcome::Crashed,    DatabaseOutcome::Interrupted,
    DatabaseOutcome::NotReached, DatabaseOutcome::NotFound,
};

// The counts a database's record takes from its run's summary totals.
constexpr const char* kCounts[] = {"tables",       "tables_written",    "rows_read",
                                   "rows_written", "rows_refused",      "rows_unreadable",
                                   "rows_lost",    "statements_failed", "errors_reported"};

QJsonValue verifiedOf(const QJsonObject& summary) {
    if (!summary["verified"].toBool()) return false;
    for (const QJsonValue& table : summary["tables"].toArray()) {
        const QJsonValue verification = table.toObject()["verification"];
        if (verification.isObject() && !verification.toObject()["all_identical"].toBool())
            return false;
    }
    return true;
}

QString count(const QJsonValue& value) {
    return value.isNull() || value.isUndefined() ? QStringLiteral("-")
                                                 : QString::number(value.toInteger());
}

QString outcomeCell(const QJsonObject& record) {
    return record["skipped"].toBool() ? QStringLiteral("complete earlier")
                                      : record["outcome"].toString().replace(u'_', u' ');
}

}  // namespace

QString OutcomeName(DatabaseOutcome outcome) {
    switch (outcome) {
        case DatabaseOutcome::Complete:
            return QStringLiteral("complete");
        case DatabaseOutcome::Incomplete:
            return QStringLiteral("incomplete");
        case DatabaseOutcome::NotStarted:
            return QStringLiteral("not_started");
        case DatabaseOutcome::NoPassword:
            return QStringLiteral("no_password");
        case DatabaseOutcome::Crashed:
            return QStringLiteral("crashed");
        case DatabaseOutcome::Interrupted:
            return QStringLiteral("interrupted");
        case DatabaseOutcome::NotReached:
            return QStringLiteral("not_reached");
        case DatabaseOutcome::NotFound:
            return QStringLiteral("not_found");
    }
    return {};
}

QJsonObject DatabaseRecord(const DatabaseResult& r, bool verifyAsked) {
    auto text = [](const QString& s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); };
    QJsonObject record{{"source", r.source},
                       {"folder", text(r.folder)},
                       {"log", text(r.log)},
                       {"outcome", OutcomeName(r.outcome)},
                       {"skipped", false},
                       {"exit_status", r.exitStatus ? QJsonValue(*r.exitStatus) : QJsonValue()},
                       {"seconds", std::round(r.seconds * 1000) / 1000},
                       {"verified", QJsonValue()},
                       {"error", text(r.error)},
                       {"summary", r.summary ? QJsonValue(*r.summary) : QJsonValue()}};
    const QJsonObject totals = r.summary ? (*r.summary)["totals"].toObject() : QJsonObject();
    for (const char* key : kCounts) record.insert(key, r.summary ? totals[key] : QJsonValue());
    if (verifyAsked && r.summary) record.insert("verified", verifiedOf(*r.summary));
    return record;
}

QJsonObject SkippedRecord(QJsonObject earlier, const QString& source, const QString& folder,
                          const QString& log) {
    earlier.insert("source", source);
    earlier.insert("folder", folder);
    earlier.insert("log", log);
    earlier.insert("skipped", true);
    return earlier;
}

bool IsComplete(const QJsonObject& record) {
    return record["outcome"].toString() == OutcomeName(DatabaseOutcome::Complete);
}

QJsonObject BatchTotals(const std::vector<QJsonObject>& records) {
    QJsonObject totals{{"databases", qint64(records.size())}};
    for (DatabaseOutcome outcome : kOutcomes) totals.insert(OutcomeName(outcome), 0);
    totals.insert("skipped", 0);
    for (const char* key : kCounts) totals.insert(key, 0);
    for (const QJsonObject& record : records) {
        const QString outcome = record["outcome"].toString();
        totals.insert(outcome, totals[outcome].toInt() + 1);
        if (record["skipped"].toBool()) totals.insert("skipped", totals["skipped"].toInt() + 1);
        for (const char* key : kCounts)
            totals.insert(key, totals[key].toInteger() + record[key].toInteger());
    }
    return totals;
}

QString BatchSummaryJson(const QString& folder, const std::vector<QJsonObject>& records,
                         double seconds, int exitStatus) {
    QJsonArray databases;
    for (const QJsonObject& record : records) databases.append(record);
    const QJsonObject summary{{"format_version", kBatchSummaryFormatVersion},
                              {"program", QStringLiteral("velmora-convert ") + programVersion()},
                              {"batch", true},
                              {"target_folder", folder},
                              {"databases", databases},
                              {"totals", BatchTotals(records)},
                              {"seconds", std::round(seconds * 1000) / 1000},
                              {"exit_status", exitStatus}};
    return QString::fromUtf8(QJsonDocument(summary).toJson(QJsonDocument::Indented));
}

void PrintBatchTable(std::ostream& out, const std::vector<QJsonObject>& records,
                     const QString& folder) {
    const QStringList heading{"database", "outcome", "tables",   "rows read",
                              "written",  "refused", "verified", "seconds"};
    std::vector<QStringList> rows;
    for (const QJsonObject& r : records) {
        QString name = r["folder"].toString();
        name = name.isEmpty() ? r["source"].toString() : name.mid(folder.size() + 1);
        const QJsonValue verified = r["verified"];
        rows.push_back({name, outcomeCell(r), count(r["tables"]), count(r["rows_read"]),
                        count(r["rows_written"]), count(r["rows_refused"]),
                        verified.isBool() ? (verified.toBool() ? "yes" : "no") : "-",
                        QString::number(r["seconds"].toDouble(), 'f', 2)});
    }
    std::vector<qsizetype> width;
    for (const QString& cell : heading) width.push_back(cell.size());
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size(); ++i) width[i] = std::max(width[i], row[i].size());
    auto print = [&](const QStringList& row) {
        QString line;
        // Names and outcomes to the left, numbers to the right.
        for (qsizetype i = 0; i < row.size(); ++i)
            line += (i < 2 ? row[i].leftJustified(width[i]) : row[i].rightJustified(width[i])) +
                    (i + 1 < row.size() ? QStringLiteral("  ") : QString());
        out << line.toStdString() << '\n';
    };
    print(heading);
    for (const QStringList& row : rows) print(row);

    const QJsonObject totals = BatchTotals(records);
    QStringList outcomes;
    for (DatabaseOutcome outcome : kOutcomes) {
        const int n = totals[OutcomeName(outcome)].toInt();
        if (n == 0) continue;
        QString part = QString::number(n) + u' ' + OutcomeName(outcome).replace(u'_', u' ');
        if (outcome == DatabaseOutcome::Complete && totals["skipped"].toInt() > 0)
            part += QStringLiteral(" (%1 in an earlier run)").arg(totals["skipped"].toInt());
        outcomes << part;
    }
    out << "Databases: " << records.size() << " ("
        << outcomes.join(QStringLiteral(", ")).toStdString()
        << "); tables: " << totals["tables"].toInteger()
        << ", rows read: " << totals["rows_read"].toInteger()
        << ", written: " << totals["rows_written"].toInteger()
        << ", refused: " << totals["rows_refused"].toInteger()
        << ", unreadable: " << totals["rows_unreadable"].toInteger()
        << ", lost to damage: " << totals["rows_lost"].toInteger() << std::endl;
}

QString RecordLine(const QJsonObject& r) {
    QString line = outcomeCell(r);
    if (!r["tables"].isNull())
        line += QStringLiteral(", %1 %2, %3 rows written")
                    .arg(r["tables"].toInteger())
                    .arg(r["tables"].toInteger() == 1 ? "table" : "tables")
                    .arg(r["rows_written"].toInteger());
    if (r["rows_refused"].toInteger() > 0)
        line += QStringLiteral(", %1 refused").arg(r["rows_refused"].toInteger());
    if (r["verified"].isBool())
        line += r["verified"].toBool() ? QStringLiteral(", verified")
                                       : QStringLiteral(", not verified identical");
    line += QStringLiteral(", %1 s").arg(r["seconds"].toDouble(), 0, 'f', 2);
    if (!r["error"].isNull()) line += QStringLiteral(": ") + r["error"].toString();
    return line;
}

}  // namespace velmora
