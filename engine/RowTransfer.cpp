#include "engine/RowTransfer.h"

#include <optional>

#include "dataaccess/DbError.h"
#include "engine/Dispatch.h"
#include "engine/InsertPipeline.h"
#include "engine/RowReport.h"
#include "engine/RunSteps.h"
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
           number == db::errc::kTargetGone || number == db::errc::kTableGone;
}

// The number and text of a refusal by the driver (0 and no text for any other failure).
std::pair<long, std::string> refusalOf(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const db::DbError& e) {
        return {e.number(), e.description()};
    } catch (...) {
        return {0, {}};
    }
}

// The answers of the driver to the table's statements, reported as they come back.
class AnswerReports {
  public:
    AnswerReports(const QString& targetName, const db::Recordset& sourceRows, std::int64_t rowCount,
                  Procedure& proc, RunHost& host, RunState& state, TransferCounts& counts)
        : targetName_(targetName),
          sourceRows_(sourceRows),
          shownNames_(ShownColumnNames(sourceRows)),
          rowCount_(rowCount),
          proc_(proc),
          host_(host),
          state_(state),
          counts_(counts) {}

    long endedBy() const { return endedBy_; }
    // Rows answered after the source moved on carry their shown values; answered at once,
    // the source is still on the row.
    void keepValues() { keptValues_ = true; }

    void operator()(const PendingRow& row, const std::exception_ptr& failure) {
        CountAnswer(row.statement, failure, host_.inputs, state_);
        if (!failure) {
            ++counts_.rowsDispatched;
            return;
        }
        ++counts_.rowsFailed;
        // Named, not bound: clang 14 cannot capture structured bindings in a lambda.
        const std::pair<long, std::string> refusal = refusalOf(failure);
        const long number = refusal.first;
        const std::string& description = refusal.second;
        proc_.step(runstep::kRowAnswer, [&] {
            if (endsTheTable(number)) {
                // The fault that ends the table speaks for itself, saying how far it got.
                endedBy_ = number;
                throw db::DbError(
                    number, description + " Table " + QuoteIdentifier(targetName_).toStdString() +
                                " stopped after " + std::to_string(counts_.rowsDispatched) +
                                " of " + std::to_string(rowCount_) +
                                " rows; the other rows were not sent.");
            }
            try {
                std::rethrow_exception(failure);
            } catch (...) {
                RethrowWithContext(
                    QStringLiteral("Refused: ") +
                    (keptValues_
                         ? RowDescription(targetName_, row.rowNumber, shownNames_, row.shownValues)
                         : RowDescription(targetName_, row.rowNumber, sourceRows_)));
            }
        });
    }

  private:
    const QString& targetName_;
    const db::Recordset& sourceRows_;
    const std::vector<std::string> shownNames_;
    const std::int64_t rowCount_;
    Procedure& proc_;
    RunHost& host_;
    RunState& state_;
    TransferCounts& counts_;
    long endedBy_ = 0;
    bool keptValues_ = false;
};

}  // namespace

TransferCounts TransferRows(const QString& targetName, db::Recordset& sourceRows,
                            const FieldRoles& roles, const LiteralWriter& literals, Procedure& proc,
                            RunHost& host, RunState& state,
                            const std::function<void(std::int64_t, std::int64_t)>& onRow,
                            TableProfile* profile, const std::function<bool()>& goOn) {
    TransferCounts counts;
    if (!proc.test(runstep::kAnyRows, [&] { return !sourceRows.eof() && !sourceRows.bof(); }))
        return counts;

    std::int64_t rowCount = 0;
    proc.step(runstep::kRowCount, [&] { rowCount = sourceRows.recordCount(); });
    const std::string prefix =
        (QStringLiteral("INSERT INTO ") + QuoteIdentifier(targetName) + QStringLiteral(" VALUES("))
            .toStdString();

    AnswerReports reports(targetName, sourceRows, rowCount, proc, host, state, counts);
    const bool preview = host.inputs.previewEnabled();
    if (!preview) reports.keepValues();
    InsertPipeline::Execute execute;
    if (preview)
        execute = [&state](std::string_view statement) { CollectStatement(statement, state); };
    else
        execute = [target = state.targetConnection.get()](std::string_view statement) {
            ExecuteOnTarget(statement, target);
        };
    InsertPipeline::AroundBatch aroundBatch;
    if (!preview && state.targetConnection)
        aroundBatch = [target = state.targetConnection.get()](bool starting) {
            if (starting)
                target->beginBatch();
            else
                target->endBatch();
        };
    InsertPipeline pipeline(
        preview ? InsertPipeline::Mode::Inline : InsertPipeline::Mode::Threaded, std::move(execute),
        [](const std::exception_ptr& failure) { return endsTheTable(refusalOf(failure).first); },
        [&reports](const PendingRow& row, const std::exception_ptr& failure) {
            reports(row, failure);
        },
        [&host] { host.pump.yieldNow(); }, std::move(aroundBatch));
    // A report of this thread first waits for the answers to every row sent before, so
    // reports keep the order of the rows.
    auto answersFirst = [&pipeline](auto body) {
        return [&pipeline, body] {
            try {
                return body();
            } catch (...) {
                pipeline.settle();
                throw;
            }
        };
    };

    std::int32_t rowNumber = 0;
    std::int32_t progress = 0;
    std::vector<FieldKind> kinds;
    // The values are noted as they are written, each read once.
    std::optional<ValueNotes> notes;
    if (profile != nullptr) notes.emplace(*profile);
    PendingRow row;
    do {
        host.pump.yield();
        if (state.cancelled()) {
            counts.cancelled = true;
            break;
        }
        if (goOn && !goOn()) {
            counts.abandoned = true;
            break;
        }
        // The row's number in the source: rows it could not deliver keep theirs, so every
        // row written keeps its place.
        rowNumber = static_cast<std::int32_t>(sourceRows.rowNumber());
        progress = rowNumber + 1;
        proc.step(runstep::kRowProgress, answersFirst([&] {
                      host.progress.setValue((static_cast<double>(progress) + 1.0) /
                                             (static_cast<double>(rowCount) + 1.0) * 100.0);
                      if (onRow) onRow(progress, rowCount);
                  }));
        std::string& statement = row.statement;
        statement.assign(prefix);
        if (roles.rowNumberColumn) {
            LiteralWriter::appendInteger(statement, rowNumber);
            statement += ',';
        }

        int fieldCount = 0;
        proc.step(runstep::kRowFieldCount,
                  answersFirst([&] { fieldCount = sourceRows.fields().count(); }));
        if (static_cast<int>(kinds.size()) != fieldCount) kinds = fieldKinds(fieldCount, roles);
        if (notes) notes->startRow(fieldCount);
        const bool reordered = static_cast<int>(roles.columnOrder.size()) == fieldCount;
        for (int position = 0; position < fieldCount; ++position) {
            const int ordinal =
                reordered ? roles.columnOrder[static_cast<std::size_t>(position)] : position;
            host.pump.yield();
            proc.step(runstep::kFieldLiteral, answersFirst([&] {
                          const FieldKind kind = kinds[static_cast<std::size_t>(ordinal)];
                          if (kind == FieldKind::Binary && !notes) {
                              LiteralWriter::appendBinary(statement);
                              return;
                          }
                          const db::Value& value = sourceRows.fields().item(ordinal).value();
                          if (notes) notes->note(ordinal, value);
                          switch (kind) {
                              case FieldKind::Binary:
                                  LiteralWriter::appendBinary(statement);
                                  break;
                              case FieldKind::Numeric:
                                  literals.appendNumeric(statement, value);
                                  break;
                              case FieldKind::Text:
                                  literals.appendText(statement, value);
                                  break;
                          }
                      }));
        }
        if (notes) notes->endRow();
        if (fieldCount > 0 || roles.rowNumberColumn) statement.resize(statement.size() - 2);
        statement += ')';
        row.rowNumber = rowNumber;
        if (!preview) KeepShownValues(sourceRows, row.shownValues);
        pipeline.send(row);
        if (reports.endedBy() != 0) break;
        // A row that cannot be read is reported and left out; its row number stays
        // unused, so every written row keeps its place in the source.
        bool lost = false;
        while (!proc.step(runstep::kNextRow, answersFirst([&] {
                              try {
                                  sourceRows.moveNext();
                              } catch (...) {
                                  RethrowWithContext(
                                      QStringLiteral("Not read and left out: ") +
                                      RowDescription(targetName, rowNumber + 1, sourceRows));
                              }
                          }))) {
            ++counts.rowsUnreadable;
            ++rowNumber;
            if (rowNumber >= rowCount) {  // the reader is stuck: no further row can come
                lost = true;
                break;
            }
        }
        if (lost || reports.endedBy() != 0) break;
    } while (!proc.test(runstep::kLastRow, answersFirst([&] { return sourceRows.eof(); })));
    pipeline.settle();
    counts.tableEnded = reports.endedBy() != 0;
    counts.targetLost = reports.endedBy() != 0 && reports.endedBy() != db::errc::kTargetLocked &&
                        reports.endedBy() != db::errc::kTableGone;
    return counts;
}

}  // namespace velmora
