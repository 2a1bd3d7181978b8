#include "engine/Verification.h"

#include <QStringList>
#include <cstdlib>

#include "dataaccess/AdoTypeName.h"
#include "dataaccess/AdoTypes.h"
#include "dataaccess/DbError.h"
#include "dataaccess/Recordset.h"
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
                              db::Connection& targetConnection, const LiteralWriter& literals) {
    TableVerification result;
    result.source = table.source;
    result.target = table.target;
    const bool byKey = !table.keyOrdinals.empty();
    db::Recordset source, target, lookedUp;
    source.open(("SELECT * FROM `" + table.source + u'`').toStdString(), sourceConnection);
    try {
        target.open(("SELECT * FROM " + QuoteIdentifier(table.target)).toStdString(),
                    targetConnection);
    } catch (const db::DbError& e) {
        result.targetReadable = false;
        result.firstDifference = QString::fromUtf8(e.what());
    }
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
    std::int64_t row = 0;
    while (!source.eof()) {
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
        for (++row;; ++row) {  // a row that cannot be read was reported by the run
            try {
                source.moveNext();
                break;
            } catch (const db::DbError&) {
            }
        }
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
                                            db::Connection& source, db::Connection& target) {
    const LiteralWriter literals(QLocale::c());
    std::vector<TableVerification> results;
    for (const TablePair& table : tables)
        results.push_back(verifyTable(table, source, target, literals));
    return results;
}

QString VerificationSummary(const std::vector<TableVerification>& results) {
    QStringList lines;
    for (const TableVerification& t : results) {
        QString line = t.target + QStringLiteral(": ") + QString::number(t.identical) +
                       QStringLiteral(" of ") + QString::number(t.sourceRows) +
                       QStringLiteral(" rows verified identical");
        if (!t.indexProblems.isEmpty()) line += QStringLiteral("; ") + t.indexProblems.join(u"; ");
        if (t.identical != t.sourceRows || !t.targetReadable) {
            QStringList rows;
            for (const std::int64_t r : t.firstDiffering) rows << QString::number(r);
            if (!rows.isEmpty())
                line += QStringLiteral("; first differing rows (TVXID): ") + rows.join(u", ");
            line += QStringLiteral("\n  ") + t.firstDifference;
        }
        lines << line;
    }
    return lines.join(u'\n');
}

}  // namespace velmora
