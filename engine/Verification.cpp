#include "engine/Verification.h"

#include <QStringList>
#include <cstdlib>
#include <functional>
#include <optional>

#include "common/Helpers.h"
#include "dataaccess/AdoTypeName.h"
#include "dataaccess/AdoTypes.h"
#include "dataaccess/DbError.h"
#include "dataaccess/Recordset.h"
#include "engine/ReadAheadRows.h"
#include "engine/RowReport.h"
#include "engine/TargetNames.h"
#include "engine/TypeMapping.h"
#include "engine/ValueLiterals.h"

namespace velmora {

namespace {

using Role = TypeMapping::Role;

// A number's literal without a sign on zero and without trailing fraction zeros.
std::string normalNumber(std::string text) {
    if (text.find_first_of("eE") == std::string::npos && text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

// The literal the run writes for `value` in a field of `role`, without the ", ".
std::string literalOf(const db::Value& value, Role role, const LiteralWriter& literals) {
    std::string out;
    if (role == Role::Binary) return "''";
    if (role == Role::Numeric)
        literals.appendNumeric(out, value);
    else
        literals.appendText(out, value);
    out.resize(out.size() - 2);
    return out;
}

bool sameValue(const db::Value& source, const db::Value& target, Role role,
               const LiteralWriter& literals) {
    // Equal values give equal literals; most values arrive as they left.
    if (role != Role::Binary && source == target) return true;
    const std::string want = literalOf(source, role, literals);
    if (role == Role::Binary)
        return target.isNull() || literalOf(target, Role::Text, literals) == "NULL";
    const std::string got = literalOf(target, role, literals);
    if (want == got) return true;
    if (role != Role::Numeric) return false;
    if (normalNumber(want) == normalNumber(got)) return true;
    // A floating-point column holds the nearest number to the written literal.
    using db::ValueKind;
    if (target.kind() == ValueKind::Double)
        return std::strtod(want.c_str(), nullptr) == target.asDouble();
    if (target.kind() == ValueKind::Single)
        return std::strtof(want.c_str(), nullptr) == target.asSingle();
    return false;
}

// The ADO type, size and scale a column of the definition reads back with; -1 where the
// statement leaves the size or scale to the driver. Nothing for a type the run does not
// write.
struct Shape {
    std::int16_t type = 0;
    long size = -1;
    int scale = -1;
};

std::optional<Shape> shapeOf(const QString& definition) {
    using namespace db::ado;
    const qsizetype open = definition.indexOf(u'(');
    const QString word = definition.left(open < 0 ? definition.size() : open).trimmed().toUpper();
    QList<int> sizes;
    if (open >= 0)
        for (const QString& part : definition.mid(open + 1).chopped(1).split(u','))
            sizes << part.trimmed().toInt();
    if (word == QLatin1String("TEXT") || word == QLatin1String("VARCHAR"))
        return Shape{adVarChar, sizes.value(0, 255), -1};
    if (word == QLatin1String("DECIMAL"))
        return Shape{adNumeric, -1, sizes.isEmpty() ? -1 : sizes.value(1, 0)};
    static const std::pair<const char*, std::int16_t> kFixed[] = {
        {"INT", adInteger},       {"SMALLINT", adSmallInt},     {"FLOAT", adDouble},
        {"CURRENCY", adCurrency}, {"TIMESTAMP", adDBTimeStamp}, {"DATE", adDBDate},
        {"BIT", adBoolean},       {"MEMO", adLongVarChar},      {"BLOB", adLongVarBinary}};
    for (const auto& [name, type] : kFixed)
        if (word == QLatin1String(name)) return Shape{type, -1, -1};
    return std::nullopt;
}

// A field as it reads back, in the words of the statements.
QString shownType(const db::Field& field) {
    using namespace db::ado;
    switch (field.type()) {
        case adVarChar:
            return QStringLiteral("TEXT(%1)").arg(field.definedSize());
        case adNumeric:
            return QStringLiteral("DECIMAL with %1 decimals").arg(field.numericScale());
        case adInteger:
            return QStringLiteral("INT");
        case adSmallInt:
            return QStringLiteral("SMALLINT");
        case adDouble:
            return QStringLiteral("FLOAT");
        case adCurrency:
            return QStringLiteral("CURRENCY");
        case adDBTimeStamp:
            return QStringLiteral("TIMESTAMP");
        case adDBDate:
            return QStringLiteral("DATE");
        case adBoolean:
            return QStringLiteral("BIT");
        case adLongVarChar:
            return QStringLiteral("MEMO");
        case adLongVarBinary:
            return QStringLiteral("BLOB");
        default:
            return AdoTypeName(field.type()).value_or(QStringLiteral("an unknown type"));
    }
}

// The first difference between the fields read back and the definition, empty when
// there is none. Where the definition kept a field's Access name, the table's field must
// carry the name the source has.
QString structureDifference(const std::vector<DefinedColumn>& columns, const db::Fields& target,
                            const db::Fields& source, int firstColumn,
                            const std::vector<int>& columnOrder) {
    if (target.count() != static_cast<int>(columns.size()))
        return QStringLiteral("the table has %1 fields, its definition %2")
            .arg(target.count())
            .arg(columns.size());
    for (int i = 0; i < target.count(); ++i) {
        const DefinedColumn& defined = columns[static_cast<std::size_t>(i)];
        const QString name = QString::fromStdString(target[i].name());
        if (name != defined.name)
            return QStringLiteral("field %1 is named \"%2\" instead of \"%3\"")
                .arg(i + 1)
                .arg(name, defined.name);
        // The source field this column carries: after "TVXID", or in the key's order.
        const int column = i - firstColumn;
        const int ordinal = column >= 0 && column < static_cast<int>(columnOrder.size())
                                ? columnOrder[static_cast<std::size_t>(column)]
                                : column;
        if (ordinal >= 0 && ordinal < source.count() && defined.name == defined.sourceName &&
            target[i].name() != source[ordinal].name())
            return QStringLiteral("the field \"%1\" is not named as in Access (\"%2\")")
                .arg(name, QString::fromStdString(source[ordinal].name()));
        const std::optional<Shape> shape = shapeOf(defined.type);
        if (shape && (target[i].type() != shape->type ||
                      (shape->size >= 0 && target[i].definedSize() != shape->size) ||
                      (shape->scale >= 0 && target[i].numericScale() != shape->scale)))
            return QStringLiteral("the field \"%1\" is %2 instead of %3")
                .arg(name, shownType(target[i]), defined.type);
    }
    return {};
}

// The source row's fields against the target row's columns: the row is identical, or
// what differs in the first field that does.
bool compareRow(const db::Fields& source, const db::Fields& target, int firstColumn,
                const std::vector<int>& columnOrder, const std::vector<Role>& roles,
                const LiteralWriter& literals, QString& difference) {
    const int fields = source.count();
    if (target.count() != fields + firstColumn) {
        difference = QStringLiteral("the table has other columns");
        return false;
    }
    for (int column = 0; column < fields; ++column) {
        const int ordinal =
            columnOrder.empty() ? column : columnOrder[static_cast<std::size_t>(column)];
        const db::Field& f = source[ordinal];
        const db::Value& got = target[column + firstColumn].value();
        if (!sameValue(f.value(), got, roles[static_cast<std::size_t>(ordinal)], literals)) {
            difference = QString::fromStdString(f.name()) + QStringLiteral(" is ") +
                         ReportedValue(got) + QStringLiteral(" instead of ") +
                         ReportedValue(f.value());
            return false;
        }
    }
    return true;
}

// Every index of the target finds every row (CHECK INDEX); what an index misses.
QStringList checkIndexes(const QString& target, db::Connection& connection) {
    QStringList problems;
    QStringList names;
    for (auto rows = connection.openSchema(db::ado::adSchemaIndexes, target.toStdString());
         !rows->eof(); rows->moveNext()) {
        const QString name =
            QString::fromStdString(rows->fields().item("INDEX_NAME").value().asText());
        if (!names.contains(name)) names << name;
    }
    for (const QString& name : names) {
        db::Recordset check;
        check.open(("CHECK INDEX " + QuoteIdentifier(name) + " ON " + QuoteIdentifier(target))
                       .toStdString(),
                   connection);
        const std::int64_t rows = check.fields().item("ROWS").value().asInt();
        const std::int64_t found = check.fields().item("FOUND").value().asInt();
        const QString missing =
            QString::fromStdString(check.fields().item("FIRST_MISSING").value().asText());
        if (found != rows || !missing.isEmpty())
            problems << QStringLiteral("the index ") + name + QStringLiteral(" finds ") +
                            QString::number(found) + QStringLiteral(" of ") +
                            QString::number(rows) + QStringLiteral(" rows") +
                            (missing.isEmpty() ? QString() : QStringLiteral(" (") + missing + u')');
    }
    return problems;
}

TableVerification verifyTable(const TablePair& table, db::Connection& sourceConnection,
                              db::Connection& targetConnection, const LiteralWriter& literals,
                              const std::function<bool(std::int64_t, std::int64_t)>& onRow) {
    TableVerification result;
    result.source = table.source;
    result.target = table.target;
    const bool byKey = !table.keyOrdinals.empty();
    db::Recordset source, target, lookedUp;
    // Each table is read on a thread of its own while this one compares their rows.
    source.open(std::make_unique<ReadAheadRows>(
        sourceConnection.session().query(("SELECT * FROM `" + table.source + u'`').toStdString())));
    try {
        target.open(std::make_unique<ReadAheadRows>(targetConnection.session().query(
            ("SELECT * FROM " + QuoteIdentifier(table.target)).toStdString())));
    } catch (const db::DbError& e) {
        result.targetReadable = false;
        result.firstDifference = QString::fromUtf8(e.what());
    }
    if (result.targetReadable && !table.columns.empty())
        result.structureDifference = structureDifference(
            table.columns, target.fields(), source.fields(), byKey ? 0 : 1, table.columnOrder);
    const int fields = source.fields().count();
    std::vector<Role> roles;
    for (int i = 0; i < fields; ++i) {
        const db::Field& f = source.fields()[i];
        roles.push_back(
            MapType(AdoTypeName(f.type()).value_or(QString()).toLower(), f.definedSize()).role);
    }
    const auto differs = [&](std::int64_t row, const QString& what) {
        if (result.firstDiffering.size() < kShownDifferences) result.firstDiffering.push_back(row);
        if (result.firstDifference.isEmpty())
            result.firstDifference =
                RowDescription(table.target, row, source) + QStringLiteral(": ") + what;
    };
    const std::string lookupPrefix =
        ("SELECT * FROM " + QuoteIdentifier(table.target) + " WHERE ").toStdString();
    std::string lookup;
    std::vector<std::string> key(table.keyOrdinals.size());
    // Keyed on the row number, both tables come in TVXID order: the target by its primary
    // index, the source by its row numbers. Keyed on the Access key, the target comes in
    // key order: a source row with the next key in the target is compared with it, any
    // other is looked up through the primary index. A row the source cannot deliver has
    // no number to compare.
    const std::int64_t rows = source.recordCount();
    while (!source.eof()) {
        if (onRow && !onRow(result.sourceRows, rows)) break;
        const std::int64_t row = source.rowNumber();
        ++result.sourceRows;
        QString difference;
        bool found = false;
        const db::Fields* arrived = nullptr;  // the target's row, once found
        bool inKeyOrder = false;              // found at the target's next row
        if (byKey && result.targetReadable) {
            bool next = !target.eof();
            for (std::size_t k = 0; k < key.size(); ++k) {
                const auto ordinal = static_cast<std::size_t>(table.keyOrdinals[k]);
                key[k] = literalOf(source.fields()[static_cast<int>(ordinal)].value(),
                                   roles[ordinal], literals);
                next = next && literalOf(target.fields()[static_cast<int>(k)].value(),
                                         roles[ordinal], literals) == key[k];
            }
            if (next) {
                found = inKeyOrder = true;
                arrived = &target.fields();
            } else {
                lookup = lookupPrefix;
                for (std::size_t k = 0; k < key.size(); ++k)
                    lookup += (k ? " AND " : "") +
                              table.keyColumns[static_cast<int>(k)].toStdString() + " = " + key[k];
                try {
                    if (lookedUp.isOpen()) lookedUp.close();
                    lookedUp.open(lookup, targetConnection);
                    found = !lookedUp.eof();
                    arrived = &lookedUp.fields();
                } catch (const db::DbError& e) {
                    difference = QString::fromUtf8(e.what());
                }
            }
        } else if (result.targetReadable) {
            while (!target.eof() && target.fields()[0].value().asInt() < row) target.moveNext();
            found = !target.eof() && target.fields()[0].value().asInt() == row;
            if (found) arrived = &target.fields();
        }
        if (!found) {
            differs(row, difference.isEmpty() ? QStringLiteral("the row is missing") : difference);
        } else if (compareRow(source.fields(), *arrived, byKey ? 0 : 1, table.columnOrder, roles,
                              literals, difference)) {
            ++result.identical;
        } else {
            differs(row, difference);
        }
        if (inKeyOrder) target.moveNext();
        // A row that cannot be read was reported by the run. A source that fails on and
        // on without moving on ends here, as it ended the copy: no more rows can come.
        bool stuck = false;
        for (std::int64_t failures = 0; !stuck;) {
            try {
                source.moveNext();
                break;
            } catch (const db::DbError&) {
                stuck = ++failures > rows - result.sourceRows;
            }
        }
        if (stuck) break;
    }
    if (result.targetReadable) {
        try {
            result.indexProblems = checkIndexes(table.target, targetConnection);
        } catch (const db::DbError& e) {
            result.indexProblems << QString::fromUtf8(e.what());
        }
    }
    return result;
}

}  // namespace

std::vector<TableVerification> VerifyTables(const std::vector<TablePair>& tables,
                                            db::Connection& source, db::Connection& target,
                                            const VerificationProgress& onRow) {
    const LiteralWriter literals(QLocale::c());
    std::vector<TableVerification> results;
    for (std::size_t i = 0; i < tables.size(); ++i)
        results.push_back(verifyTable(
            tables[i], source, target, literals,
            [&](std::int64_t done, std::int64_t rows) { return !onRow || onRow(i, done, rows); }));
    return results;
}

QString VerificationSummary(const std::vector<TableVerification>& results) {
    QStringList lines;
    for (const TableVerification& t : results) {
        QString line = ShownName(t.target) + QStringLiteral(": ") + QString::number(t.identical) +
                       QStringLiteral(" of ") + QString::number(t.sourceRows) +
                       QStringLiteral(" rows verified identical");
        if (!t.allIdentical()) {
            QStringList rows;
            for (const std::int64_t r : t.firstDiffering) rows << QString::number(r);
            if (!rows.isEmpty())
                line += QStringLiteral("; first differing rows (TVXID): ") + rows.join(u", ");
            if (!t.firstDifference.isEmpty()) line += QStringLiteral("\n  ") + t.firstDifference;
            if (!t.structureDifference.isEmpty())
                line += QStringLiteral("\n  Its fields differ from the definition: ") +
                        t.structureDifference;
            if (!t.indexProblems.isEmpty())
                line += QStringLiteral("\n  Its indexes miss rows: ") + t.indexProblems.join(u"; ");
        }
        lines << line;
    }
    return lines.join(u'\n');
}

}  // namespace velmora
