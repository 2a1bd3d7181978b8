#include "engine/RowTransfer.h"

#include <charconv>

#include "dataaccess/DbError.h"
#include "engine/Dispatch.h"
#include "engine/RowReport.h"
#include "engine/TargetNames.h"

namespace velmora {

namespace {

enum class FieldKind : char { Text, Numeric, Binary };

std::vector<FieldKind> fieldKinds(int count, const FieldRoles& roles) {
    std::vector<FieldKind> kinds(static_cast<std::size_t>(std::max(count, 0)), FieldKind::Text);
    for (int ordinal : roles.NumericFields)
        if (ordinal < count) kinds[static_cast<std::size_t>(ordinal)] = FieldKind::Numeric;
    for (int ordinal : roles.BinaryFields)
        if (ordinal < count) kinds[static_cast<std::size_t>(ordinal)] = FieldKind::Binary;
    return kinds;
}

bool endsTheTable(long number) {
    return number == db::errc::kTargetLocked || number == db::errc::kTargetFull ||
           number == db::errc::kTargetGone;
}

// Sends one row's statement; a fault that ends the table is rethrown saying how far it got.
void dispatchRow(const std::string& statement, const QString& targetName, std::int64_t written,
                 std::int64_t rowCount, RunHost& host, RunState& state, long& endedBy) {
    try {
        DispatchStatement(statement, host.inputs, state);
    } catch (const db::DbError& e) {
        if (!endsTheTable(e.number())) throw;
        endedBy = e.number();
        throw db::DbError(e.number(),
                          e.description() + " Table " + QuoteIdentifier(targetName).toStdString() +
                              " stopped after " + std::to_string(written) + " of " +
                              std::to_string(rowCount) + " rows; the other rows were not sent.");
    }
}

}  // namespace

TransferCounts TransferRows(const QString& targetName, db::Recordset& sourceRows,
                            const FieldRoles& roles, const LiteralWriter& literals, Procedure& proc,
                            RunHost& host, RunState& state) {
    TransferCounts counts;
    if (!proc.test(374, [&] { return !sourceRows.eof() && !sourceRows.bof(); })) return counts;

    std::int64_t rowCount = 0;
    proc.step(376, [&] { rowCount = sourceRows.recordCount(); });
    const std::string prefix =
        (QStringLiteral("INSERT INTO ") + QuoteIdentifier(targetName) + QStringLiteral(" VALUES("))
            .toStdString();
    std::int32_t rowNumber = 0;
    std::int32_t progress = 0;
    std::string statement;
    std::vector<FieldKind> kinds;
    do {
        host.pump.yield();
        ++progress;
        proc.step(386, [&] {
            host.progress.setValue((static_cast<double>(progress) + 1.0) /
                                   (static_cast<double>(rowCount) + 1.0) * 100.0);
        });
        statement.assign(prefix);
        char number[16];
        statement.append(number, std::to_chars(number, number + sizeof number, rowNumber).ptr);
        statement += ',';

        int fieldCount = 0;
        proc.step(394, [&] { fieldCount = sourceRows.fields().count(); });
        if (static_cast<int>(kinds.size()) != fieldCount) kinds = fieldKinds(fieldCount, roles);
        for (int ordinal = 0; ordinal < fieldCount; ++ordinal) {
            host.pump.yield();
            proc.step(398, [&] {
                switch (kinds[static_cast<std::size_t>(ordinal)]) {
                    case FieldKind::Binary:
                        LiteralWriter::appendBinary(statement);
                        break;
                    case FieldKind::Numeric:
                        literals.appendNumeric(statement,
                                               sourceRows.fields().item(ordinal).value());
                        break;
                    case FieldKind::Text:
                        literals.appendText(statement, sourceRows.fields().item(ordinal).value());
                        break;
                }
            });
        }
        statement.resize(statement.size() - 2);
        statement += ')';
        long endedBy = 0;
        if (proc.step(490, [&] {
                try {
                    dispatchRow(statement, targetName, counts.rowsDispatched, rowCount, host, state,
                                endedBy);
                } catch (...) {
                    if (endedBy != 0) throw;  // the fault that ends the table speaks for itself
                    RethrowWithContext(QStringLiteral("Refused: ") +
                                       RowDescription(targetName, rowNumber, sourceRows));
                }
            }))
            ++counts.rowsDispatched;
        else
            ++counts.rowsFailed;
        if (endedBy != 0) {
            counts.targetLost = endedBy != db::errc::kTargetLocked;
            return counts;
        }
        // A row that cannot be read is reported and left out; its row number stays
        // unused, so every written row keeps its place in the source.
        bool lost = false;
        while (!proc.step(492, [&] {
            try {
                sourceRows.moveNext();
            } catch (...) {
                RethrowWithContext(QStringLiteral("Not read and left out: ") +
                                   RowDescription(targetName, rowNumber + 1, sourceRows));
            }
        })) {
            ++counts.rowsUnreadable;
            ++rowNumber;
            if (rowNumber >= rowCount) {  // the reader is stuck: no further row can come
                lost = true;
                break;
            }
        }
        ++rowNumber;
        if (lost) break;
    } while (!proc.test(496, [&] { return sourceRows.eof(); }));
    return counts;
}

}  // namespace velmora
