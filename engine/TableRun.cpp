#include "engine/TableRun.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "common/Helpers.h"
#include "dataaccess/DbError.h"
#include "engine/CodePageChoice.h"
#include "engine/Dispatch.h"
#include "engine/RowTransfer.h"
#include "engine/RunSteps.h"
#include "engine/SinglePass.h"
#include "engine/SourceLosses.h"
#include "engine/TableKeys.h"
#include "engine/TargetFolder.h"
#include "engine/TargetNames.h"

namespace velmora {

using namespace runstep;

namespace {

bool perTableMode(const MainInputs& in) {
    return in.previewEnabled() && in.previewPerTable() && !in.previewPerFile();
}

QString renameNote(const QString& sourceName, const QString& cleaned, const QString& target) {
    return QStringLiteral("The table ") + ShownName(sourceName) +
           QStringLiteral(" is written as ") + ShownName(target) + QStringLiteral(": the name ") +
           ShownName(cleaned) + QStringLiteral(" belongs to a table written earlier in this run.");
}

}  // namespace

TableRun::TableRun(TableRunContext& run, const QString& sourceName)
    : run_(run),
      proc_(&run.proc),
      state_(run.state),
      inputs_(run.host.inputs),
      select_(("SELECT * FROM `" + sourceName + u'`').toStdString()) {
    table_.source = sourceName;
}

// A table read once, and what the run was before it, to go back to when it must be
// written again.
struct TableRun::OnePass {
    OnePass(Prompts& shown, const QString& location) : held(shown), proc(held, location) {}
    HeldEffects held;
    Procedure proc;
    db::Recordset rows;
    DefinitionDraft predicted;
    TableProfile seen;
    bool stands = false;
    TableOutcome table;
    std::int64_t statementsExecuted = 0, statementsFailed = 0;
    int typeMappings = 0;
    qsizetype written = 0;
    std::function<void(std::string_view, const QString&)> onRefused;
    std::function<void(const QString&, const QString&)> onRowsLost;
};

TableRun::~TableRun() = default;

TableOutcome TableRun::run() {
    clearPerTablePreview(kPerTablePreviewFirst, kClearStatementsFirst, kClearTypeMappingsFirst);
    run_.host.pump.yieldNow();
    folder_ = inputs_.paradoxFolder();
    nameTarget();
    Answer answer = Answer::None;
    const SinglePass single = trySinglePass(answer);
    if (single != SinglePass::Written) {
        profiled_ = firstPass();
        if (state_.cancelled()) {
            table_.result = TableResult::Cancelled;
            return table_;
        }
        if (single == SinglePass::NotTried) answer = profiled_ ? askOverwrite() : Answer::None;
    }
    if (answer == Answer::No) {
        table_.result = TableResult::Declined;
    } else {
        if (single != SinglePass::Written) write(answer);
        stoppedAtPreview_ = showTablePreview();
        if (stoppedAtPreview_) return table_;
    }
    proc_->step(kClearTableCaption, [&] { run_.host.progress.setCaption(QString()); });
    return table_;
}

// A preview per table shows this table's statements and type mappings only.
void TableRun::clearPerTablePreview(int test, int clearStatements, int clearMappings) {
    if (!proc_->test(test, [&] { return perTableMode(inputs_); })) return;
    proc_->step(clearStatements, [&] { state_.statements.clear(); });
    proc_->step(clearMappings, [&] { state_.typeMappings.clear(); });
}

// Two tables of this run never share a Paradox table; a table from an earlier run is the
// overwrite question's to decide.
void TableRun::nameTarget() {
    QString target = TargetTableName(table_.source);
    if (run_.writtenThisRun.contains(target, Qt::CaseInsensitive)) {
        const QString cleaned = target;
        target = UniqueTargetName(target, run_.writtenThisRun);
        table_.note = renameNote(table_.source, cleaned, target);
        proc_->report(kRenamedTarget,
                      std::make_exception_ptr(std::runtime_error(table_.note.toStdString())));
    }
    table_.target = target;
}

// Straight to the target, a table whose names every code page spells alike is read once:
// its definition is made from the column types, and checked against its values once they
// have all been copied (engine/SinglePass.h). The options whose decisions rest on the
// values before the rows (rules, keys, strictness, respelling) keep the first pass.
TableRun::SinglePass TableRun::trySinglePass(Answer& answer) {
    const RunOptions& options = run_.options;
    if (inputs_.previewEnabled() || !state_.targetConnection || options.strict ||
        options.replaceUnmappable || options.keys == RunOptions::Keys::Access ||
        run_.rules != nullptr || run_.recoveredTables.contains(table_.source) ||
        !SpelledAlikeEverywhere(table_.target))
        return SinglePass::NotTried;
    auto one = std::make_unique<OnePass>(run_.proc.prompts(), run_.proc.location());
    try {
        one->rows.open(select_, run_.source);
        profile_ = PredictedProfile(one->rows);
        one->seen.columns.resize(profile_.columns.size());
        for (int i = 0; i < one->rows.fields().count(); ++i)
            if (!SpelledAlikeEverywhere(QString::fromStdString(one->rows.fields()[i].name())))
                return SinglePass::NotTried;
        one->predicted = DraftDefinition(table_.source, table_.target, one->rows, profile_,
                                         run_.proc.location(), run_.host, options.keepBinary);
    } catch (...) {
        return SinglePass::NotTried;  // the first pass says why
    }
    codePage_ = one->predicted.codePage;
    spelledTarget_ = BestFitName(table_.target, codePage_);
    table_.codePage = codePage_;
    profiled_ = true;
    answer = askOverwrite();
    if (answer == Answer::No) return SinglePass::Written;

    one->table = table_;
    one->statementsExecuted = state_.statementsExecuted;
    one->statementsFailed = state_.statementsFailed;
    one->typeMappings = state_.typeMappings.count();
    one->written = run_.writtenThisRun.size();
    one->onRefused = state_.onRefused;
    one->onRowsLost = state_.onRowsLost;
    HeldEffects& held = one->held;
    if (one->onRefused)
        state_.onRefused = [&held, &refused = one->onRefused](std::string_view statement,
                                                              const QString& error) {
            held.hold([&refused, text = std::string(statement), error] { refused(text, error); });
        };
    if (one->onRowsLost)
        state_.onRowsLost = [&held, &lost = one->onRowsLost](const QString& table,
                                                             const QString& range) {
            held.hold([&lost, table, range] { lost(table, range); });
        };
    onePass_ = std::move(one);
    proc_ = &onePass_->proc;
    write(answer);
    proc_ = &run_.proc;
    state_.onRefused = onePass_->onRefused;
    state_.onRowsLost = onePass_->onRowsLost;
    const std::unique_ptr<OnePass> done = std::move(onePass_);
    if (done->stands || state_.cancelled()) return SinglePass::Written;

    // A value needed another definition: the table goes again, after a first pass, as if
    // this had not been.
    table_ = done->table;
    state_.statementsExecuted = done->statementsExecuted;
    state_.statementsFailed = done->statementsFailed;
    state_.typeMappings.truncate(done->typeMappings);
    while (run_.writtenThisRun.size() > done->written) run_.writtenThisRun.removeLast();
    targetLost_ = tableLost_ = false;
    profiled_ = false;
    profile_ = {};
    return SinglePass::Again;
}

// Whether the values seen call for the definition the table was written with. Rows left
// unsent (a cancel, a failure of the target) are taken as the rows counted.
void TableRun::checkSinglePass(const db::Recordset& rows, bool complete) {
    OnePass& one = *onePass_;
    if (one.held.overflowed()) return;
    TableProfile seen = std::move(one.seen);
    if (!complete) seen.rows = profile_.rows;
    try {
        one.stands = DraftDefinition(table_.source, table_.target, rows, seen, run_.proc.location(),
                                     run_.host, run_.options.keepBinary) == one.predicted;
    } catch (...) {
        one.stands = false;
    }
    if (one.stands) profile_ = std::move(seen);
}

// A first pass over the rows tells the definition what the values need. The code page it
// picks may respell the table's name, and the question and the DROP TABLE concern the table
// under that name. A table that cannot be read gets one report, leaves its earlier copy
// alone, and no empty table is created.
bool TableRun::firstPass() {
    const bool profiled = proc_->step(kFirstPass, [&] {
        db::Recordset firstPass;
        firstPass.open(select_, run_.source);
        profile_ = ProfileRows(firstPass, [this] {
            run_.host.pump.yield();
            return !state_.cancelled();
        });
        codePage_ = ChooseCodePage(profile_, table_.target, firstPass);
        const bool recovered = run_.recoveredTables.contains(table_.source);
        const TableLosses losses = SummarizeLosses(firstPass.lostRows(), firstPass.lostColumns());
        if (run_.options.strict && (recovered || losses.any()))
            throw db::DbError(db::errc::kProviderFailure,
                              StrictRefusal(table_.source, inputs_.accessFile(), losses, recovered)
                                  .toStdString());
    });
    spelledTarget_ = BestFitName(table_.target, codePage_);
    if (profiled) table_.codePage = codePage_;
    return profiled;
}

// Asked for the source name and, since a cleaned name is what the folder holds, for the
// target name too.
TableRun::Answer TableRun::askOverwrite() {
    const QStringList& present = state_.targetTables;
    Answer answer = Answer::None;
    if (proc_->test(kTargetAlreadyThere, [&] {
            return ListContains(present, table_.source) || ListContains(present, table_.target) ||
                   ListContains(present, spelledTarget_);
        })) {
        proc_->step(kAskOverwrite, [&] {
            const OverwriteAnswer given = run_.questions.askOverwrite(
                QStringLiteral("Would you like to overwrite ") + ShownName(table_.source) + u'?');
            answer = given == OverwriteAnswer::Yes || given == OverwriteAnswer::YesToAll
                         ? Answer::Yes
                         : Answer::No;
        });
    }
    return answer;
}

// DROP TABLE or CREATE TABLE failed (the table is locked, or another program made it): the
// table keeps what it holds and gets none of this run's rows, so two runs never mix in one
// table. The failed statement's report says why; the run goes on with the next table.
void TableRun::write(Answer answer) {
    clearPerTablePreview(kPerTablePreviewAgain, kClearStatementsAgain, kClearTypeMappingsAgain);
    const std::int64_t failuresBefore = state_.statementsFailed;
    beginReplacement();
    if (answer == Answer::Yes &&
        proc_->test(kTableFileExists, [&] { return TableFileExists(folder_, spelledTarget_); }))
        proc_->step(kDropTable, [&] {
            DispatchStatement(QStringLiteral("DROP TABLE ") + QuoteIdentifier(spelledTarget_),
                              inputs_, state_);
        });
    proc_->step(kTableCaption, [&] {
        run_.host.progress.setCaption(QStringLiteral("Please wait... Processing table ") +
                                      ShownName(table_.source));
    });
    const bool dropFailed = state_.statementsFailed > failuresBefore;
    db::Recordset opened;
    db::Recordset& rows = onePass_ ? onePass_->rows : opened;
    const BestFitRows* respelling = nullptr;
    if (profiled_ && !dropFailed && (onePass_ || openRows(rows, respelling))) {
        writeRows(rows, respelling, failuresBefore);
    } else {
        table_.result = dropFailed ? TableResult::Failed : TableResult::Unreadable;
        if (onePass_) onePass_->stands = true;  // the DROP TABLE's failure is anyone's
    }
    table_.statementsFailed = state_.statementsFailed - failuresBefore;
    if (onePass_) {
        if (onePass_->stands) {
            onePass_->held.release();
        } else if (!state_.cancelled()) {
            // Written again: nothing of this attempt stays.
            if (inTransaction_) {
                inTransaction_ = false;
                try {
                    state_.targetConnection->rollbackTrans();
                } catch (...) {
                    // The folder is gone: the next attempt says so.
                }
            }
            return;
        }
    }
    endReplacement();
}

void TableRun::beginReplacement() {
    if (inputs_.previewEnabled() || !state_.targetConnection) return;
    try {
        state_.targetConnection->beginTrans();
        inTransaction_ = true;
    } catch (...) {
        // A closed target: every statement fails and says why.
    }
}

// The new table takes the old one's place only when all of it went in; otherwise the
// folder keeps the old table, and a table new to the folder does not appear at all: half a
// table under the real name would pass for the whole one with whoever opens it next.
void TableRun::endReplacement() {
    if (!inTransaction_) return;
    inTransaction_ = false;
    db::Connection& target = *state_.targetConnection;
    if (state_.cancelled() || targetLost_ || tableLost_ || table_.result != TableResult::Written) {
        try {
            target.rollbackTrans();
        } catch (...) {
            // The folder is gone: nothing is left to roll back.
        }
        if (state_.cancelled())
            leftAsItWas(TableResult::Cancelled);
        else if (table_.result == TableResult::Written)
            leftAsItWas(TableResult::Failed);
        return;
    }
    if (!proc_->step(kCommitTable, [&] { target.commitTrans(); })) {
        targetLost_ = true;
        leftAsItWas(TableResult::Failed);
    }
}

// What the table's rows did is undone: the folder holds what it held before.
void TableRun::leftAsItWas(TableResult result) {
    table_.result = result;
    table_.rowsWritten = 0;
}

bool TableRun::openRows(db::Recordset& rows, const BestFitRows*& respelling) {
    return proc_->step(kOpenSourceRows, [&] {
        if (!run_.options.replaceUnmappable) return rows.open(select_, run_.source);
        auto respelled =
            std::make_unique<BestFitRows>(run_.source.session().query(select_), codePage_);
        respelling = respelled.get();
        rows.open(std::move(respelled));
    });
}

void TableRun::writeRows(db::Recordset& rows, const BestFitRows* respelling,
                         std::int64_t failuresBefore) {
    run_.writtenThisRun << table_.target;
    const std::int64_t executedBefore = state_.statementsExecuted;
    table_.read = true;
    table_.rowsInSource = rows.recordCount();
    QString spelled = table_.target;
    KeyPlan keys;
    const bool accessKeys = run_.options.keys == RunOptions::Keys::Access;
    if (accessKeys)
        proc_->step(kPlanKeys, [&] {
            keys = PlanKeys(ReadSourceIndexes(run_.source, table_.source, rows), rows, &profile_);
        });
    const FieldRoles roles = BuildTableDefinition(
        table_.source, table_.target, rows, *proc_, run_.host, state_, &profile_, &spelled,
        run_.options.keepBinary, accessKeys ? &keys : nullptr, run_.rules, run_.schemaReport);
    table_.target = spelled;
    table_.columns = roles.columns;
    table_.columnOrder = roles.columnOrder;
    if (accessKeys) {
        table_.keyedOnAccess = !roles.rowNumberColumn;
        for (const int ordinal : keys.primary) {
            table_.keyOrdinals.push_back(ordinal);
            table_.keyColumns << roles.columnNames[static_cast<std::size_t>(ordinal)];
        }
        for (const QString& type : roles.paradoxTypes)
            table_.autoIncrementFields += type == QLatin1String("AUTOINC");
        table_.indexesNotWritten = keys.indexesNotWritten;
    }
    if (state_.statementsFailed == failuresBefore) {
        sendRows(rows, roles, respelling);
        if (onePass_) {
            checkSinglePass(rows, table_.rowsRead + table_.rowsUnreadable >= table_.rowsInSource);
            if (!onePass_->stands) return;
        }
        // The secondary indexes are built from the rows in one pass each.
        if (accessKeys && !targetLost_) {
            table_.indexesWritten =
                BuildSecondaryIndexes(keys, roles, spelled, *proc_, run_.host, state_);
            table_.indexesNotWritten +=
                static_cast<int>(keys.indexes.size()) - table_.indexesWritten;
        }
    } else if (onePass_) {
        return;  // the CREATE TABLE failed: its report comes from the definition the values call
                 // for
    }
    for (std::size_t i = 0; i < profile_.columns.size(); ++i) {
        table_.datesRounded += profile_.columns[i].roundedDateTimes;
        // Long binary data left out altogether is not written blank by choice.
        if (!std::binary_search(roles.BinaryFields.begin(), roles.BinaryFields.end(),
                                static_cast<int>(i)))
            table_.emptyBinaryValues += profile_.columns[i].emptyBinaryValues;
    }
    // Straight to the target, a table none of whose statements went in is not there at all.
    // With a preview per table, what became of the table is the preview's to say.
    if (!inputs_.previewEnabled() && state_.statementsExecuted == executedBefore)
        table_.result = TableResult::Failed;
    else if (!perTableMode(inputs_))
        table_.result = TableResult::Written;
    proc_->step(kCloseSourceRows, [&] { rows.close(); });
}

void TableRun::sendRows(db::Recordset& rows, const FieldRoles& roles,
                        const BestFitRows* respelling) {
    run_.progress.startTable(TableProgress::Phase::Converting, run_.tableNumber, table_.source);
    const TransferCounts counts = TransferRows(
        table_.target, rows, roles, run_.literals, *proc_, run_.host, state_,
        [this](std::int64_t row, std::int64_t rowsInTable) { run_.progress.row(row, rowsInTable); },
        onePass_ ? &onePass_->seen : nullptr,
        // Past what it can hold, a table read once will be written again: no need to go on.
        onePass_ ? std::function<bool()>([&held = onePass_->held] { return !held.overflowed(); })
                 : std::function<bool()>());
    // A choice the user made (--unmappable replace) is counted, not reported.
    if (respelling != nullptr) table_.rowsRespelled = respelling->rowsRespelled();
    targetLost_ = counts.targetLost;
    tableLost_ = counts.tableEnded;
    table_.rowsSent = true;
    table_.rowsRead = counts.rowsDispatched + counts.rowsFailed;
    table_.rowsWritten = counts.rowsDispatched;
    table_.rowsRefused = counts.rowsFailed;
    table_.rowsUnreadable = counts.rowsUnreadable;
    // What the damaged source left out of the table, told once now that the walk has met
    // all of it.
    const TableLosses losses = SummarizeLosses(rows.lostRows(), rows.lostColumns());
    // A source that ends before its row count without telling what it lost (a file cut
    // short during the run) is named once, and the rows it did not deliver count as
    // unreadable; rows left unsent by a cancel or by a target that ended the table are not
    // the source's.
    const std::int64_t missing =
        counts.cancelled || counts.abandoned || counts.tableEnded || losses.any()
            ? 0
            : table_.rowsInSource - table_.rowsRead - table_.rowsUnreadable;
    if (missing > 0) {
        proc_->report(
            kSourceEndedEarly,
            std::make_exception_ptr(std::runtime_error(
                "The source table " + ShownName(table_.source).toStdString() + " ended after " +
                std::to_string(table_.rowsRead + table_.rowsUnreadable) + " of its " +
                std::to_string(table_.rowsInSource) + " rows; the other " +
                std::to_string(missing) + " rows could not be read.")));
        table_.rowsUnreadable += missing;
    }
    if (!losses.any()) return;
    table_.fieldsLost = losses.columns;
    table_.rowsLost = losses.rows;
    table_.rowsLostKnown = losses.countKnown;
    table_.pagesMissing = losses.pagesMissing;
    proc_->report(kRowsLost,
                  std::make_exception_ptr(std::runtime_error(
                      LossReport(table_.source, table_.rowsInSource, losses).toStdString())));
    if (!state_.onRowsLost) return;
    if (!losses.columns.isEmpty()) state_.onRowsLost(table_.source, LostFieldsNote(losses));
    for (const QString& range : losses.ranges) state_.onRowsLost(table_.source, range);
}

// True when the user left the preview with Back (or closed it): the run stops here.
bool TableRun::showTablePreview() {
    state_.stopAfterPreview = true;
    if (!proc_->test(kPerTablePreview, [&] { return perTableMode(inputs_); })) return false;
    state_.previewExecuted = false;
    state_.previewLinesRun = 0;
    proc_->step(kShowTablePreview, [&] { run_.host.preview.showPreview(state_); });
    if (table_.read)
        table_.result = state_.previewExecuted       ? TableResult::Written
                        : state_.previewLinesRun > 0 ? TableResult::PartlyWritten
                                                     : TableResult::NotExecuted;
    return state_.stopAfterPreview;
}

}  // namespace velmora
