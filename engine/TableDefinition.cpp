#include "engine/TableDefinition.h"

#include <stdexcept>

#include "dataaccess/AdoTypeName.h"
#include "engine/CodePageChoice.h"
#include "engine/ColumnProfile.h"
#include "engine/Dispatch.h"
#include "engine/RunSteps.h"
#include "engine/SourceRules.h"
#include "engine/TargetNames.h"
#include "engine/TypeChoice.h"
#include "engine/TypeMapping.h"

namespace velmora {

namespace {

using Role = TypeMapping::Role;

// The names the run wrote differently, as the type list shows them after the type:
// ", named "Grusse"" for a column, ", in table "Ubersicht"" for every column of a table.
QString RespelledNames(const QString& tableBefore, const QString& tableUsed, bool columnRenamed,
                       const QString& quotedColumnUsed) {
    QString names;
    if (columnRenamed) names += QStringLiteral(", named ") + quotedColumnUsed;
    if (tableUsed != tableBefore)
        names += QStringLiteral(", in table ") + QuoteIdentifier(tableUsed);
    return names;
}

}  // namespace

FieldRoles BuildTableDefinition(const QString& sourceName, const QString& targetName,
                                const db::Recordset& sourceRows, Procedure& proc, RunHost& host,
                                RunState& state, const TableProfile* profile, QString* targetUsed,
                                bool keepBinary, const SourceRules* rules,
                                QStringList* leftBehind) {
    FieldRoles roles;
    int codePage = 1252;
    if (profile != nullptr) codePage = ChooseCodePage(*profile, targetName, sourceRows);
    const QString tableName = BestFitName(targetName, codePage);
    if (targetUsed != nullptr) *targetUsed = tableName;
    QString statement = QStringLiteral("CREATE TABLE ") + QuoteIdentifier(tableName) + u'(';
    statement += QStringLiteral("\"TVXID\" INT, ");
    roles.columns.push_back({{}, QStringLiteral("TVXID"), QStringLiteral("INT")});

    int fieldCount = 0;
    proc.step(runstep::kFieldCount, [&] { fieldCount = sourceRows.fields().count(); });
    for (int ordinal = 0; ordinal < fieldCount; ++ordinal) {
        int entry = -1;
        proc.step(runstep::kTypeMappingRecord, [&] {
            const db::Field& field = sourceRows.fields().item(ordinal);
            state.typeMappings.append({sourceName,
                                       QString::fromStdString(field.name()),
                                       {},
                                       {},
                                       AccessTypeName(field.type())});
            entry = state.typeMappings.count() - 1;
        });
        host.pump.yield();
        QString cleaned;
        QString column;
        proc.step(runstep::kColumnName, [&] {
            cleaned = BestFitName(
                CleanFieldName(QString::fromStdString(sourceRows.fields().item(ordinal).name()),
                               ordinal),
                codePage);
            column = QuoteIdentifier(cleaned.left(kColumnNameLength));
        });
        proc.step(runstep::kUniqueColumnName, [&] {
            // A column name already in the statement, in any letter case, takes a counter.
            for (int counter = 0; statement.contains(column + u' ', Qt::CaseInsensitive); ++counter)
                column = QuoteIdentifier(CountedColumnName(cleaned, counter));
        });
        QString label;
        proc.step(runstep::kTypeLabel, [&] {
            label =
                AdoTypeName(sourceRows.fields().item(ordinal).type()).value_or(QString()).toLower();
            // Values of a kind the reader does not know arrive as the text of their bytes,
            // which is exact but not what Access shows: said once per table.
            const std::string& unknown = sourceRows.fields().item(ordinal).unknownKind();
            if (!unknown.empty())
                throw std::runtime_error("The field " + sourceRows.fields().item(ordinal).name() +
                                         " of table " + sourceName.toStdString() +
                                         " holds values of a kind the Access reader does "
                                         "not know (" +
                                         unknown +
                                         "); they arrive as the hexadecimal text of their "
                                         "bytes.");
        });
        proc.step(runstep::kColumnType, [&] {
            TypeMapping mapping = MapType(label, sourceRows.fields().item(ordinal).definedSize());
            if (profile != nullptr)
                mapping = FitTypeToValues(
                    mapping, label, sourceRows.fields().item(ordinal).definedSize(),
                    profile->columns[static_cast<std::size_t>(ordinal)], codePage, keepBinary);
            const QString type = mapping.columnType.trimmed();
            const QString sourceColumn =
                QString::fromStdString(sourceRows.fields().item(ordinal).name());
            const ColumnRules* columnRules =
                rules != nullptr ? rules->column(sourceName, sourceColumn) : nullptr;
            if (columnRules != nullptr && leftBehind != nullptr) {
                const QString bare = type.endsWith(u',') ? type.chopped(1) : type;
                const ColumnProfile* values =
                    profile != nullptr ? &profile->columns[static_cast<std::size_t>(ordinal)]
                                       : nullptr;
                statement += column + u' ' + bare +
                             RuleClauses(*columnRules, column, bare, *leftBehind, values) +
                             QStringLiteral(", ");
            } else
                statement += column + mapping.columnType;
            const QString written = column.mid(1, column.size() - 2)
                                        .replace(QStringLiteral("\"\""), QStringLiteral("\""));
            roles.columns.push_back(
                {sourceColumn, written, type.endsWith(u',') ? type.chopped(1) : type});
            // Every column not named as in Access says so: cleaned, respelled, cut or counted.
            if (entry >= 0)
                state.typeMappings.setTypes(
                    entry, mapping.accessType,
                    mapping.paradoxType +
                        RespelledNames(targetName, tableName, written != sourceColumn, column));
            if (mapping.role == Role::Numeric) roles.NumericFields.push_back(ordinal);
            if (mapping.role == Role::Binary) roles.BinaryFields.push_back(ordinal);
        });
    }
    statement = statement.trimmed();
    statement.chop(1);
    statement += u')';
    if (codePage != 1252) statement += QStringLiteral(" CODEPAGE ") + QString::number(codePage);
    // Every block size holds this many rows within the blocks a keyed table may have; a
    // larger table tells the driver its rows, so that it sizes the blocks for them.
    constexpr std::int64_t kRowsAnyBlockSizeHolds = 32767 * 8;
    if (profile != nullptr && profile->rows > kRowsAnyBlockSizeHolds)
        statement += QStringLiteral(" ROWS ") + QString::number(profile->rows);
    statement += u';';
    // Without its table the index could only fail too.
    if (!proc.step(runstep::kCreateTable,
                   [&] { DispatchStatement(statement, host.inputs, state); }))
        return roles;

    const QString target = QuoteIdentifier(tableName);
    const QString index = QStringLiteral("CREATE INDEX ") + target + QStringLiteral(" ON ") +
                          target + QStringLiteral(" (\"TVXID\") with primary");
    proc.step(runstep::kCreateIndex, [&] { DispatchStatement(index, host.inputs, state); });
    return roles;
}

}  // namespace velmora
