#include "engine/RowReport.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "common/ErrorReport.h"
#include "common/text/Utf8.h"
#include "dataaccess/DbError.h"
#include "engine/TargetNames.h"
#include "engine/ValueLiterals.h"

namespace velmora {

namespace {
constexpr int kShownColumns = 3;
constexpr qsizetype kShownLength = 40;
}  // namespace

QString ReportedValue(const db::Value& value) {
    using db::ValueKind;
    std::string text;
    switch (value.kind()) {
        case ValueKind::Null:
            return QStringLiteral("NULL");
        case ValueKind::Text:
            text = value.asText();
            break;
        default: {
            // Numbers and the other kinds as the statements carry them.
            static const LiteralWriter plain(QLocale::c());
            plain.appendNumeric(text, value);
            text.resize(text.size() - 2);
            return QString::fromStdString(text);
        }
    }
    QString shown = QString::fromStdString(text::escapeControls(text));
    if (shown.size() > kShownLength) {
        qsizetype cut = kShownLength;
        if (shown.at(cut - 1).isHighSurrogate()) --cut;
        shown = shown.left(cut) + QStringLiteral("...");
    }
    return u'\'' + shown + u'\'';
}

std::vector<std::string> ShownColumnNames(const db::Recordset& rows) {
    std::vector<std::string> names;
    try {
        const db::Fields& fields = rows.fields();
        for (int i = 0; i < fields.count() && i < kShownColumns; ++i)
            names.push_back(fields[i].name());
    } catch (const db::DbError&) {
        // No columns to show.
    }
    return names;
}

void KeepShownValues(const db::Recordset& rows, std::vector<db::Value>& values) {
    try {
        const db::Fields& fields = rows.fields();
        const auto shown = static_cast<std::size_t>(std::min(fields.count(), kShownColumns));
        values.resize(shown);
        for (std::size_t i = 0; i < shown; ++i) values[i] = fields[static_cast<int>(i)].value();
    } catch (const db::DbError&) {
        values.clear();  // the row could not be read: the row number is all there is
    }
}

QString RowDescription(const QString& table, std::int64_t row,
                       const std::vector<std::string>& names,
                       const std::vector<db::Value>& values) {
    QString text = QStringLiteral("table ") + QuoteIdentifier(table) +
                   QStringLiteral(", row TVXID ") + QString::number(row);
    QStringList shown;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
        shown << QString::fromStdString(text::escapeControls(names[i])) + u'=' +
                     ReportedValue(values[i]);
    if (!shown.isEmpty()) text += QStringLiteral(" (") + shown.join(u", ") + u')';
    return text;
}

QString RowDescription(const QString& table, std::int64_t row, const db::Recordset& rows) {
    std::vector<db::Value> values;
    KeepShownValues(rows, values);
    return RowDescription(table, row, ShownColumnNames(rows), values);
}

std::optional<ReportedRow> ReportedRowOf(const QString& description) {
    const qsizetype lineStart = description.lastIndexOf(QStringLiteral("\r\n"));
    if (lineStart < 0) return std::nullopt;
    const QString line = description.mid(lineStart + 2);
    const qsizetype tableAt = line.indexOf(QStringLiteral(": table \""));
    if (tableAt <= 0) return std::nullopt;
    ReportedRow row;
    row.verdict = line.left(tableAt);
    // The quoted name, its double quotes doubled.
    qsizetype at = tableAt + 9;
    for (;; ++at) {
        if (at >= line.size()) return std::nullopt;
        if (line.at(at) != u'"') {
            row.table += line.at(at);
        } else if (at + 1 < line.size() && line.at(at + 1) == u'"') {
            row.table += u'"';
            ++at;
        } else {
            break;
        }
    }
    const QString rowWord = QStringLiteral("\", row TVXID ");
    if (line.mid(at, rowWord.size()) != rowWord) return std::nullopt;
    at += rowWord.size();
    const qsizetype digits = at;
    while (at < line.size() && line.at(at).isDigit()) ++at;
    bool number = false;
    row.tvxid = line.mid(digits, at - digits).toLongLong(&number);
    if (!number) return std::nullopt;
    if (at < line.size()) {
        if (!line.mid(at).startsWith(QStringLiteral(" (")) || !line.endsWith(u')'))
            return std::nullopt;
        row.values = line.mid(at + 2, line.size() - at - 3);
    }
    row.reason = description.left(lineStart)
                     .split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts)
                     .join(u' ');
    return row;
}

void RethrowWithContext(const QString& context) {
    const QByteArray line = (QStringLiteral("\r\n") + context).toUtf8();
    try {
        throw;
    } catch (const db::DbError& e) {
        throw db::DbError(e.number(), e.description() + line.toStdString());
    } catch (...) {
        throw db::DbError(
            db::errc::kProviderFailure,
            describeException(std::current_exception()).toStdString() + line.toStdString());
    }
}

}  // namespace velmora
