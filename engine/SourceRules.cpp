#include "engine/SourceRules.h"

#include <QRegularExpression>
#include <map>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/DbError.h"
#include "dataaccess/Recordset.h"
#include "engine/ColumnProfile.h"

namespace velmora {

namespace {

QString textOf(db::Recordset& rows, const char* column) {
    const db::Value v = rows.fields().item(column).value();
    return v.isNull() ? QString() : QString::fromStdString(v.asText());
}

bool truthOf(db::Recordset& rows, const char* column) {
    const db::Value v = rows.fields().item(column).value();
    return !v.isNull() && v.asBool();
}

// Opens a rules rowset; a provider without it gives nothing of its kind.
std::unique_ptr<db::Recordset> rowset(db::Connection& source, int kind) {
    try {
        return source.openSchema(kind);
    } catch (const db::DbError&) {
        return nullptr;
    }
}

enum class Kind { Text, Number, Integer, Logical, Date, Other };

Kind kindOf(const QString& type) {
    const QString t = type.toUpper();
    if (t.startsWith(u"TEXT") || t.startsWith(u"VARCHAR") || t.startsWith(u"CHAR"))
        return Kind::Text;
    if (t == u"INT" || t == u"SMALLINT" || t.startsWith(u"AUTOINC")) return Kind::Integer;
    if (t.startsWith(u"FLOAT") || t.startsWith(u"DOUBLE") || t.startsWith(u"DECIMAL") ||
        t.startsWith(u"NUMERIC") || t == u"CURRENCY" || t == u"MONEY")
        return Kind::Number;
    if (t == u"BIT" || t == u"LOGICAL" || t == u"BOOLEAN") return Kind::Logical;
    if (t == u"DATE" || t == u"TIMESTAMP" || t == u"TIME") return Kind::Date;
    return Kind::Other;
}

const QRegularExpression kNumber(QStringLiteral("^[-+]?(\\d+(\\.\\d*)?|\\.\\d+)$"));

QString quotedText(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

// A constant of the column's kind as the statement writes it, or empty.
QString constant(QString expression, Kind kind) {
    expression = expression.trimmed();
    if (expression.startsWith(u'=')) expression = expression.mid(1).trimmed();
    const bool number = kNumber.match(expression).hasMatch();
    const bool quoted =
        expression.size() >= 2 && ((expression.front() == u'"' && expression.back() == u'"') ||
                                   (expression.front() == u'\'' && expression.back() == u'\''));
    switch (kind) {
        case Kind::Text:
            if (quoted) {
                const QChar q = expression.front();
                return quotedText(
                    expression.mid(1, expression.size() - 2).replace(QString(2, q), QString(q)));
            }
            return number ? quotedText(expression) : QString();
        case Kind::Integer:
            return number && !expression.contains(u'.') ? expression : QString();
        case Kind::Number:
            return number ? expression : QString();
        case Kind::Logical: {
            const QString word = expression.toLower();
            if (word == u"yes" || word == u"true" || word == u"on" || word == u"-1")
                return QStringLiteral("TRUE");
            if (word == u"no" || word == u"false" || word == u"off" || word == u"0")
                return QStringLiteral("FALSE");
            return {};
        }
        case Kind::Date:
            // Access's #month/day/year time#, which the driver reads as it is.
            if (expression.size() > 2 && expression.front() == u'#' && expression.back() == u'#')
                return quotedText(expression.mid(1, expression.size() - 2));
            return {};
        case Kind::Other:
            return {};
    }
    return {};
}

struct Range {
    QString minimum;
    QString maximum;
};

// ">= a", "<= b", "> a" and "< b" on whole numbers, "Between a And b", and two of them
// joined by And: what a field's minimum and maximum can hold.
std::optional<Range> simpleRange(const QString& rule, Kind kind) {
    if (kind != Kind::Integer && kind != Kind::Number) return std::nullopt;
    static const QRegularExpression between(
        QStringLiteral("^\\s*between\\s+(\\S+)\\s+and\\s+(\\S+)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    Range range;
    if (const auto m = between.match(rule); m.hasMatch()) {
        range.minimum = constant(m.captured(1), kind);
        range.maximum = constant(m.captured(2), kind);
        if (range.minimum.isEmpty() || range.maximum.isEmpty()) return std::nullopt;
        return range;
    }
    static const QRegularExpression comparison(QStringLiteral("^\\s*(>=|<=|>|<)\\s*(\\S+)\\s*$"));
    static const QRegularExpression conjunction(QStringLiteral("\\s+and\\s+"),
                                                QRegularExpression::CaseInsensitiveOption);
    const QStringList parts = rule.split(conjunction);
    if (parts.size() > 2) return std::nullopt;
    for (const QString& part : parts) {
        const auto m = comparison.match(part);
        if (!m.hasMatch()) return std::nullopt;
        QString value = constant(m.captured(2), kind);
        if (value.isEmpty()) return std::nullopt;
        const QString op = m.captured(1);
        // A strict bound is a whole number's next one; a fraction's has none.
        if (op.size() == 1) {
            if (kind != Kind::Integer) return std::nullopt;
            value = QString::number(value.toLongLong() + (op == u">" ? 1 : -1));
        }
        QString& bound = op.startsWith(u'>') ? range.minimum : range.maximum;
        if (!bound.isEmpty()) return std::nullopt;
        bound = value;
    }
    return range;
}

QString where(const ColumnRules& rules) {
    return u'"' + rules.table +
           (rules.column.isEmpty() ? QString() : QStringLiteral("\".\"") + rules.column) + u'"';
}

}  // namespace

SourceRules SourceRules::read(db::Connection& source) {
    SourceRules out;
    if (auto rows = rowset(source, db::ado::adSchemaColumns))
        for (; !rows->eof(); rows->moveNext())
            out.columns.push_back(
                {textOf(*rows, "TABLE_NAME"), textOf(*rows, "COLUMN_NAME"),
                 !rows->fields().item("IS_NULLABLE").value().isNull() &&
                     !truthOf(*rows, "IS_NULLABLE"),
                 textOf(*rows, "COLUMN_DEFAULT"), textOf(*rows, "VALIDATION_RULE"),
                 textOf(*rows, "VALIDATION_TEXT"), textOf(*rows, "DESCRIPTION"),
                 textOf(*rows, "FORMAT"), textOf(*rows, "INPUT_MASK"), textOf(*rows, "LOOKUP")});
    if (auto rows = rowset(source, db::ado::adSchemaForeignKeys)) {
        std::map<QString, std::size_t> byName;
        for (; !rows->eof(); rows->moveNext()) {
            const QString name = textOf(*rows, "FK_NAME");
            auto [at, added] = byName.try_emplace(name, out.relationships.size());
            if (added)
                out.relationships.push_back({name,
                                             textOf(*rows, "PK_TABLE_NAME"),
                                             textOf(*rows, "FK_TABLE_NAME"),
                                             {},
                                             {},
                                             truthOf(*rows, "IS_ENFORCED"),
                                             textOf(*rows, "UPDATE_RULE") == u"CASCADE",
                                             textOf(*rows, "DELETE_RULE") == u"CASCADE"});
            Relationship& r = out.relationships[at->second];
            r.parentColumns << textOf(*rows, "PK_COLUMN_NAME");
            r.childColumns << textOf(*rows, "FK_COLUMN_NAME");
        }
    }
    if (auto rows = rowset(source, db::ado::adSchemaViews))
        for (; !rows->eof(); rows->moveNext())
            out.queries.push_back(
                {textOf(*rows, "TABLE_NAME"),
                 rows->fields().count() > 1 ? textOf(*rows, "VIEW_DEFINITION") : QString()});
    return out;
}

const ColumnRules* SourceRules::column(const QString& table, const QString& name) const {
    for (const ColumnRules& c : columns)
        if (!c.column.isEmpty() && c.table.compare(table, Qt::CaseInsensitive) == 0 &&
            c.column.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QString RuleClauses(const ColumnRules& rules, const QString& quotedColumn, const QString& type,
                    QStringList& leftBehind, const ColumnProfile* values) {
    const Kind kind = kindOf(type);
    const QString at = where(rules);
    QString clauses;
    if (rules.required && values != nullptr && values->nulls > 0)
        leftBehind << at +
                          (values->nulls == 1
                               ? QStringLiteral(": Required not carried: 1 row has no value")
                               : QStringLiteral(": Required not carried: %1 rows have no value")
                                     .arg(values->nulls)) +
                          QStringLiteral(", which Paradox would refuse.");
    else if (rules.required)
        clauses += QStringLiteral(" NOT NULL");
    if (!rules.defaultValue.isEmpty()) {
        const QString value = constant(rules.defaultValue, kind);
        const QString bare = rules.defaultValue.trimmed().remove(u'=').trimmed().toLower();
        if (!value.isEmpty())
            clauses += QStringLiteral(" DEFAULT ") + value;
        else if (bare.startsWith(u"date(") || bare.startsWith(u"now(") || bare.startsWith(u"time("))
            leftBehind << at + QStringLiteral(
                                   ": Default Value \"%1\" not carried: a .VAL default is one "
                                   "value of the field; no known .VAL holds today's date or "
                                   "time instead.")
                                   .arg(rules.defaultValue);
        else
            leftBehind << at + QStringLiteral(
                                   ": Default Value \"%1\" not carried: not a constant "
                                   "a %2 field holds.")
                                   .arg(rules.defaultValue, type);
    }
    if (!rules.validationRule.isEmpty()) {
        auto range = simpleRange(rules.validationRule, kind);
        const bool broken =
            range && values != nullptr && values->hasNumber &&
            ((!range->minimum.isEmpty() && values->smallestNumber < range->minimum.toDouble()) ||
             (!range->maximum.isEmpty() && values->largestNumber > range->maximum.toDouble()));
        if (broken) {
            leftBehind << at + QStringLiteral(
                                   ": Validation Rule \"%1\" not carried: rows hold "
                                   "values outside it (%2 to %3).")
                                   .arg(rules.validationRule)
                                   .arg(values->smallestNumber)
                                   .arg(values->largestNumber);
        } else if (range) {
            if (!range->minimum.isEmpty() && !range->maximum.isEmpty())
                clauses += QStringLiteral(" CHECK (%1 BETWEEN %2 AND %3)")
                               .arg(quotedColumn, range->minimum, range->maximum);
            else if (!range->minimum.isEmpty())
                clauses += QStringLiteral(" CHECK (%1 >= %2)").arg(quotedColumn, range->minimum);
            else
                clauses += QStringLiteral(" CHECK (%1 <= %2)").arg(quotedColumn, range->maximum);
            if (!rules.validationText.isEmpty())
                leftBehind << at + QStringLiteral(
                                       ": Validation Text \"%1\" not carried: Paradox "
                                       "shows its own message.")
                                       .arg(rules.validationText);
        } else {
            leftBehind << at + QStringLiteral(
                                   ": Validation Rule \"%1\" not carried: Paradox holds "
                                   "a minimum and a maximum of constants only.")
                                   .arg(rules.validationRule);
        }
    }
    for (const auto& [label, value] : {std::pair{QStringLiteral("Description"), &rules.description},
                                       std::pair{QStringLiteral("Format"), &rules.format},
                                       std::pair{QStringLiteral("Input Mask"), &rules.inputMask},
                                       std::pair{QStringLiteral("Lookup"), &rules.lookup}})
        if (!value->isEmpty())
            leftBehind << at + QStringLiteral(
                                   ": %1 \"%2\" not carried: a Paradox table has no "
                                   "place for it.")
                                   .arg(label, *value);
    return clauses;
}

QStringList RunLevelLeftBehind(const SourceRules& rules, const QStringList& convertedTables) {
    const auto converted = [&](const QString& table) {
        return convertedTables.contains(table, Qt::CaseInsensitive);
    };
    QStringList lines;
    for (const ColumnRules& c : rules.columns)
        if (c.column.isEmpty() && converted(c.table) && !c.validationRule.isEmpty())
            lines << where(c) + QStringLiteral(
                                    ": table Validation Rule \"%1\" not carried: "
                                    "Paradox checks fields one by one.")
                                    .arg(c.validationRule);
    for (const SavedQuery& query : rules.queries)
        lines << (query.sql.isEmpty()
                      ? QStringLiteral("\"%1\": saved query not carried: a Paradox folder holds "
                                       "tables only (its SQL text is not rebuilt).")
                            .arg(query.name)
                      : QStringLiteral("\"%1\": saved query not carried: a Paradox folder holds "
                                       "tables only. Its SQL: %2")
                            .arg(query.name,
                                 QString(query.sql)
                                     .replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                                     .replace(u'\n', u' ')
                                     .replace(u'\r', u' ')));
    return lines;
}

}  // namespace velmora
