#include "engine/TableDefinition.h"

#include <array>

#include "dataaccess/AdoTypeName.h"
#include "engine/CodePageChoice.h"
#include "engine/Dispatch.h"
#include "engine/TargetNames.h"
#include "engine/TypeChoice.h"

namespace velmora {

namespace {

struct MappingRow {
    std::array<const char*, 2> tests;
    const char* columnType;
    const char* accessType;
    const char* paradoxType;
    TypeMapping::Role role;
};

using Role = TypeMapping::Role;

// Tried from the top; the first row whose test the label contains wins. Single maps to
// FLOAT (INT would cut 3.75 to 3) and Access's date-time (adDate) to TIMESTAMP (a
// Paradox Date holds no time of day); both keep every value whole.
constexpr MappingRow kMapping[] = {
    {{"char", nullptr}, " TEXT(", "har", "TEXT", Role::Text},
    {{"adlongvarbinary", nullptr}, " VARCHAR, ", "adlongvarbinary", "VARCHAR", Role::Binary},
    {{"longvar", nullptr}, " VARCHAR, ", "longvar", "VARCHAR", Role::Text},
    {{"double", nullptr}, " FLOAT, ", "double", "FLOAT", Role::Numeric},
    {{"single", nullptr}, " FLOAT, ", "single", "FLOAT", Role::Numeric},
    {{"smallint", "tinyint"}, " SMALLINT, ", "smallint", "SMALLINT", Role::Numeric},
    {{"int", nullptr}, " INT, ", "int", "INT", Role::Numeric},
    {{"currency", "numeric"}, " CURRENCY, ", "currency", "CURRENCY", Role::Numeric},
    {{"decimal", nullptr}, " DECIMAL, ", "decimal", "DECIMAL", Role::Numeric},
    {{"addate", nullptr}, " TIMESTAMP, ", "date", "TIMESTAMP", Role::Text},
    {{"date", nullptr}, " DATE, ", "date", "DATE", Role::Text},
    {{"timestamp", nullptr}, " TIMESTAMP, ", "date", "TIMESTAMP", Role::Text},
    {{"bool", nullptr}, " BIT, ", "bool", "BIT", Role::Numeric},
};

// The names a code page made the run respell, as the type list shows them after the type:
// ", named "Grusse"" for a column, ", in table "Ubersicht"" for every column of a table.
QString RespelledNames(const QString& tableBefore, const QString& tableUsed, bool columnRespelled,
                       const QString& quotedColumnUsed) {
    QString names;
    if (columnRespelled) names += QStringLiteral(", named ") + quotedColumnUsed;
    if (tableUsed != tableBefore)
        names += QStringLiteral(", in table ") + QuoteIdentifier(tableUsed);
    return names;
}

}  // namespace

TypeMapping MapType(const QString& label, long definedSize) {
    for (const MappingRow& row : kMapping) {
        const bool matches =
            label.contains(QLatin1String(row.tests[0])) ||
            (row.tests[1] != nullptr && label.contains(QLatin1String(row.tests[1])));
        if (!matches) continue;
        TypeMapping mapping{QString::fromLatin1(row.columnType),
                            QString::fromLatin1(row.accessType),
                            QString::fromLatin1(row.paradoxType), row.role};
        if (mapping.paradoxType == QLatin1String("TEXT"))
            mapping.columnType +=
                QString::number(definedSize < 256 ? definedSize : 255) + QStringLiteral("), ");
        return mapping;
    }
    return TypeMapping{QStringLiteral(" VARCHAR, "), QStringLiteral("OTHER TYPES"),
                       QStringLiteral("VARCHAR"), Role::Text};
}

FieldRoles BuildTableDefinition(const QString& sourceName, const QString& targetName,
                                const db::Recordset& sourceRows, Procedure& proc, RunHost& host,
                                RunState& state, const TableProfile* profile, QString* targetUsed,
                                bool keepBinary) {
    FieldRoles roles;
    int codePage = 1252;
    if (profile != nullptr) codePage = ChooseCodePage(*profile, targetName, sourceRows);
    const QString tableName = BestFitName(targetName, codePage);
    if (targetUsed != nullptr) *targetUsed = tableName;
    QString statement = QStringLiteral("CREATE TABLE ") + QuoteIdentifier(tableName) + u'(';
    statement += QStringLiteral("\"TVXID\" INT, ");

    int fieldCount = 0;
    proc.step(210, [&] { fieldCount = sourceRows.fields().count(); });
    for (int ordinal = 0; ordinal < fieldCount; ++ordinal) {
        int entry = -1;
        proc.step(212, [&] {
            const db::Field& field = sourceRows.fields().item(ordinal);
            state.typeMappings.append({sourceName,
                                       QString::fromStdString(field.name()),
                                       {},
                                       {},
                                       AccessTypeName(field.type())});
            entry = state.typeMappings.count() - 1;
        });
        host.pump.yield();
        QString unspelled;
        QString cleaned;
        QString column;
        proc.step(218, [&] {
            unspelled = CleanFieldName(
                QString::fromStdString(sourceRows.fields().item(ordinal).name()), ordinal);
            cleaned = BestFitName(unspelled, codePage);
            column = QuoteIdentifier(cleaned.left(kColumnNameLength));
        });
        proc.step(222, [&] {
            // A column name already in the statement, in any letter case, takes a counter.
            for (int counter = 0; statement.contains(column + u' ', Qt::CaseInsensitive); ++counter)
                column = QuoteIdentifier(CountedColumnName(cleaned, counter));
        });
        QString label;
        proc.step(228, [&] {
            label =
                AdoTypeName(sourceRows.fields().item(ordinal).type()).value_or(QString()).toLower();
        });
        proc.step(230, [&] {
            TypeMapping mapping = MapType(label, sourceRows.fields().item(ordinal).definedSize());
            if (profile != nullptr)
                mapping = FitTypeToValues(
                    mapping, label, sourceRows.fields().item(ordinal).definedSize(),
                    profile->columns[static_cast<std::size_t>(ordinal)], codePage, keepBinary);
            statement += column + mapping.columnType;
            if (entry >= 0)
                state.typeMappings.setTypes(
                    entry, mapping.accessType,
                    mapping.paradoxType +
                        RespelledNames(targetName, tableName, cleaned != unspelled, column));
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
    if (!proc.step(358, [&] { DispatchStatement(statement, host.inputs, state); })) return roles;

    const QString target = QuoteIdentifier(tableName);
    const QString index = QStringLiteral("CREATE INDEX ") + target + QStringLiteral(" ON ") +
                          target + QStringLiteral(" (\"TVXID\") with primary");
    proc.step(368, [&] { DispatchStatement(index, host.inputs, state); });
    return roles;
}

}  // namespace velmora
