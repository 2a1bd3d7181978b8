#include "engine/RowReport.h"

#include <QStringList>

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

QString RowDescription(const QString& table, std::int64_t row, const db::Recordset& rows) {
    QString text = QStringLiteral("table ") + QuoteIdentifier(table) +
                   QStringLiteral(", row TVXID ") + QString::number(row);
    try {
        const db::Fields& fields = rows.fields();
        QStringList values;
        for (int i = 0; i < fields.count() && i < kShownColumns; ++i)
            values << QString::fromStdString(text::escapeControls(fields[i].name())) + u'=' +
                          ReportedValue(fields[i].value());
        if (!values.isEmpty()) text += QStringLiteral(" (") + values.join(u", ") + u')';
    } catch (const db::DbError&) {
        // The row could not be read: the row number is all there is.
    }
    return text;
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
