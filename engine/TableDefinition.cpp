#include "engine/TableDefinition.h"

#include <algorithm>
#include <stdexcept>

#include <stdexcept>

#include "dataaccess/AdoTypeName.h"
#include "engine/CodePageChoice.h"
#include "engine/ColumnProfile.h"
#include "engine/Dispatch.h"
#include "engine/RunSteps.h"
#include "engine/SourceRules.h"
#include "engine/TableKeys.h"
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
                                bool keepBinary, const KeyPlan* keys, const SourceRules* rules,
                                QStringList* leftBehind) {
    FieldRoles roles;
    int codePage = 1252;
    if (profile != nullptr) codePage = ChooseCodePage(*profile, targetName, sourceRows);
    roles.codePage = codePage;
    const QString tableName = BestFitName(targetName, codePage);
    if (targetUsed != nullptr) *targetUsed = tableName;
    const bool accessKey = keys != nullptr && !keys->primary.empty();
    QString statement = QStringLiteral("CREATE TABLE ") + QuoteIdentifier(tableName) + u'(';
    if (!accessKey) {
        statement += QStringLiteral("\"TVXID\" INT, ");
        roles.columns.push_back({{}, QStringLiteral("TVXID"), QStringLiteral("INT")});
    }
    roles.rowNumberColumn = !accessKey;

    int fieldCount = 0;
    proc.step(runstep::kFieldCount, [&] { fieldCount = sourceRows.fields().count(); });
    roles.columnNames.assign(static_cast<std::size_t>(std::max(fieldCount, 0)), QString());
    roles.paradoxTypes = roles.columnNames;
    roles.mappingEntries.assign(roles.columnNames.size(), -1);
    if (keys != nullptr && static_cast<int>(keys->columnOrder.size()) == fieldCount)
        roles.columnOrder = keys->columnOrder;
    for (int position = 0; position < fieldCount; ++position) {
        const int ordinal = roles.columnOrder.empty()
                                ? position
                                : roles.columnOrder[static_cast<std::size_t>(position)];
        int entry = -1;
        proc.step(runstep::kTypeMappingRecord, [&] {
            const db::Field& field = sourceRows.fields().item(ordinal);
            state.typeMappings.append({sourceName,
                                       QString::fromStdString(field.name()),
                                       {},
                                       {},
                                       AccessTypeName(field.type())});
            entry = state.typeMappings.count() - 1;
            roles.mappingEntries[static_cast<std::size_t>(ordinal)] = entry;
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
            QString accessType = mapping.accessType;
            QString keyNote;
            if (keys != nullptr) {
                const db::AutoNumber autoNumber = sourceRows.fields().item(ordinal).autoNumber();
                if (autoNumber != db::AutoNumber::None)
                    accessType += autoNumber == db::AutoNumber::Guid
                                      ? QStringLiteral(", AutoNumber (GUID)")
                                      : QStringLiteral(", AutoNumber");
                if (keys->autoIncrement[static_cast<std::size_t>(ordinal)] &&
                    mapping.paradoxType == QLatin1String("INT")) {
                    mapping.columnType = QStringLiteral(" AUTOINC, ");
                    mapping.paradoxType = QStringLiteral("AUTOINC");
                }
                const auto key = std::find(keys->primary.begin(), keys->primary.end(), ordinal);
                if (key != keys->primary.end())
                    keyNote = QStringLiteral(", key field ") +
                              QString::number(key - keys->primary.begin() + 1) +
                              QStringLiteral(" of ") + QString::number(keys->primary.size());
            }
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
            roles.columnNames[static_cast<std::size_t>(ordinal)] = column;
            roles.paradoxTypes[static_cast<std::size_t>(ordinal)] = mapping.paradoxType;
            const QString written = column.mid(1, column.size() - 2)
                                        .replace(QStringLiteral("\"\""), QStringLiteral("\""));
            roles.columns.push_back(
                {sourceColumn, written, type.endsWith(u',') ? type.chopped(1) : type});
            // Every column not named as in Access says so: cleaned, respelled, cut or counted.
            if (entry >= 0)
                state.typeMappings.setTypes(
                    entry, accessType,
                    mapping.paradoxType + keyNote +
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
    if (keys != nullptr && keys->level7) statement += QStringLiteral(" LEVEL 7");
    statement += u';';
    // Without its table the index could only fail too.
    if (!proc.step(runstep::kCreateTable,
                   [&] { DispatchStatement(statement, host.inputs, state); }))
        return roles;

    const QString target = QuoteIdentifier(tableName);
    QString keyColumns = QStringLiteral("\"TVXID\"");
    if (accessKey) {
        keyColumns.clear();
        for (const int ordinal : keys->primary)
            keyColumns += (keyColumns.isEmpty() ? QString() : QStringLiteral(", ")) +
                          roles.columnNames[static_cast<std::size_t>(ordinal)];
    }
    const QString index = QStringLiteral("CREATE INDEX ") + target + QStringLiteral(" ON ") +
                          target + QStringLiteral(" (") + keyColumns +
                          QStringLiteral(") with primary");
    proc.step(runstep::kCreateIndex, [&] { DispatchStatement(index, host.inputs, state); });
    if (keys != nullptr)
        for (const NotKept& sentence : keys->notWritten)
            proc.report(runstep::kKeysNotKept,
                        std::make_exception_ptr(
                            std::runtime_error((sentence.subject + QStringLiteral(" of table ") +
                                                sourceName + u' ' + sentence.rest)
                                                   .toStdString())));
    return roles;
}

int BuildSecondaryIndexes(const KeyPlan& keys, const FieldRoles& roles, const QString& tableName,
                          Procedure& proc, RunHost& host, RunState& state) {
    int written = 0;
    QStringList taken{tableName};  // the primary index goes by the table's name
    for (const IndexPlan& index : keys.indexes) {
        QString unindexable;
        for (const int ordinal : index.fields) {
            const QString& type = roles.paradoxTypes[static_cast<std::size_t>(ordinal)];
            if (type == QLatin1String("MEMO") || type == QLatin1String("BLOB") ||
                type.startsWith(QLatin1String("VARCHAR (left empty)")))
                unindexable = roles.columnNames[static_cast<std::size_t>(ordinal)] +
                              QStringLiteral(" is written as ") + type;
        }
        const QString onlyColumn =
            index.fields.size() == 1
                ? roles.columnNames[static_cast<std::size_t>(index.fields[0])].mid(1).chopped(1)
                : QString();
        const QString name =
            ParadoxIndexName(index.accessName, index, onlyColumn, roles.codePage, taken);
        bool done = false;
        if (!unindexable.isEmpty()) {
            proc.report(
                runstep::kSecondaryIndexes,
                std::make_exception_ptr(std::runtime_error(
                    ("The index " + index.accessName + " of table " + tableName +
                     " is not written: " + unindexable + ", which a Paradox index cannot hold.")
                        .toStdString())));
        } else {
            taken << name;
            done = proc.step(runstep::kSecondaryIndexes, [&] {
                DispatchStatement(SecondaryIndexStatement(index, name, QuoteIdentifier(tableName),
                                                          roles.columnNames),
                                  host.inputs, state);
            });
            written += done;
        }
        QString note = QStringLiteral(", index ") + QuoteIdentifier(name);
        if (name != index.accessName)
            note += QStringLiteral(" (Access: ") + index.accessName + u')';
        if (index.unique) note += QStringLiteral(" unique");
        if (index.descending) note += QStringLiteral(" descending");
        if (index.caseInsensitive) note += QStringLiteral(" case-insensitive");
        if (!done) note += QStringLiteral(" not written");
        for (const int ordinal : index.fields) {
            const int entry = roles.mappingEntries[static_cast<std::size_t>(ordinal)];
            if (entry >= 0)
                state.typeMappings.setTypes(entry, state.typeMappings.at(entry).AccessType,
                                            state.typeMappings.at(entry).ParadoxType + note);
        }
    }
    return written;
}

}  // namespace velmora
