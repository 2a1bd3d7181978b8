#include "engine/ConversionRun.h"

#include <QDir>
#include <stdexcept>

#include "common/Helpers.h"
#include "dataaccess/AdoTypes.h"
#include "engine/AccessCatalog.h"
#include "engine/BestFitRows.h"
#include "engine/CodePageChoice.h"
#include "engine/ColumnProfile.h"
#include "engine/Dispatch.h"
#include "engine/FolderTables.h"
#include "engine/RejectsFile.h"
#include "engine/RowTransfer.h"
#include "engine/RunProgress.h"
#include "engine/RunReports.h"
#include "engine/RunSummary.h"
#include "engine/SourceConnection.h"
#include "engine/TableDefinition.h"
#include "engine/TargetFolder.h"
#include "engine/TargetNames.h"
#include "engine/ValueLiterals.h"

namespace velmora {

namespace {

bool perTableMode(const MainInputs& in) {
    return in.previewEnabled() && in.previewPerTable() && !in.previewPerFile();
}

QString renameNote(const QString& sourceName, const QString& cleaned, const QString& target) {
    return QStringLiteral("The table ") + sourceName + QStringLiteral(" is written as ") + target +
           QStringLiteral(": the name ") + cleaned +
           QStringLiteral(" belongs to a table written earlier in this run.");
}

// DROP TABLE or CREATE TABLE failed (the table is locked, or another program made it):
// the table keeps what it holds and gets none of this run's rows, so two runs never mix in
// one table. The failed statement's report says why; the run goes on with the next table.
bool tableDefinitionFailed(int failuresBefore, const RunState& state) {
    return state.statementsFailed > failuresBefore;
}

}  // namespace

void ConversionRun::start() {
    if (state_.conversionRunning) return;
    state_.conversionRunning = true;
    stats_ = {};
    state_.statementsExecuted = state_.statementsFailed = 0;
    state_.previewLinesSkipped = 0;
    // A run's preview shows its own statements only, never those an earlier run left.
    state_.statements.clear();
    state_.typeMappings.clear();
    MainInputs& in = host_.inputs;
    RunReports reports(host_.prompts, in);
    Procedure proc(reports,
                   reportLocation(QStringLiteral("Form1"), QStringLiteral("PushButton7_Click")));

    proc.step(104, [&] { CopyDB(false, in, host_.prompts); });
    state_.targetConnection = std::make_unique<db::Connection>();
    db::Connection source;
    db::Recordset sourceRows;
    bool connectionsOpen = false;

    FolderTables found = FolderTables::Present;
    bool noTables = proc.test(118, [&] {
        if (options_.statementsOnly) return false;
        if (options_.acceptFolderWithoutTables &&
            IsFolder(in.paradoxFolder()) == std::optional(true))
            return false;
        found = ExamineFolderTables(in.paradoxFolder());
        return found != FolderTables::Present;
    });
    if (noTables && options_.askAboutFolderWithoutTables)
        noTables = !AgreeToNewTables(in.paradoxFolder(), found, host_.prompts);
    if (noTables) {
        state_.conversionRunning = false;
        return;
    }

    proc.step(120, [&] { host_.pointer.setBusy(true); });
    proc.step(126, [&] {
        state_.targetTables.clear();
        state_.sourceTables.clear();
        if (!options_.statementsOnly || IsFolder(in.paradoxFolder()) == std::optional(true))
            FillTargetTableList(state_.targetTables, in, host_.pump);
    });
    proc.step(128, [&] {
        FillSourceTableList(state_.sourceTables, in.accessFile(), in, host_.prompts, host_.pump);
        if (options_.tableWanted)
            state_.sourceTables.removeIf(
                [&](const QString& name) { return !options_.tableWanted(name); });
    });
    stats_.tablesInSource = static_cast<int>(state_.sourceTables.size());
    RunProgress progress(host_.progress, stats_.tablesInSource);
    proc.step(130, [&] { source.setCursorLocation(db::ado::adUseClient); });
    proc.step(132, [&] { source.setMode(db::ado::adModeReadWrite); });
    proc.step(134, [&] { OpenSourceConnection(source, in); });
    connectionsOpen = true;
    proc.step(138, [&] { state_.targetConnection->setCursorLocation(db::ado::adUseClient); });
    // Tables that hold data from a protected source are readable by their owner only.
    const bool ownerOnly = SourceNeedsPassword(in.accessFile());
    std::optional<RejectsFile> rejects;
    const auto refusedBefore = state_.onRefused;
    if (options_.rejectsBesideTables && !options_.statementsOnly) {
        rejects.emplace(QDir(in.paradoxFolder()).filePath(QString::fromLatin1(kRejectsFileName)),
                        ownerOnly);
        state_.onRefused = [&rejects, refusedBefore](std::string_view statement,
                                                     const QString& error) {
            rejects->add(statement, error);
            if (refusedBefore) refusedBefore(statement, error);
        };
    }
    const bool targetOpen = !options_.statementsOnly && proc.step(140, [&] {
        OpenTargetConnection(*state_.targetConnection, in.paradoxFolder(), ownerOnly);
    });

    const LiteralWriter literals(locale_);
    bool targetLost = false;
    QStringList writtenThisRun;
    for (int position = static_cast<int>(state_.sourceTables.size()) - 1; position >= 0;
         --position) {
        // Without a target, statements that go straight to it would each fail in turn;
        // the failed open has been reported once, which says it all.
        if (!targetOpen && !in.previewEnabled()) {
            stats_.tablesNotReached << state_.sourceTables.mid(0, position + 1);
            break;
        }
        if (proc.test(144, [&] { return perTableMode(in); })) {
            proc.step(146, [&] { state_.statements.clear(); });
            proc.step(148, [&] { state_.typeMappings.clear(); });
        }
        host_.pump.yieldNow();
        const QString sourceName = state_.sourceTables.at(position);
        QString target = TargetTableName(sourceName);
        const QString folder = in.paradoxFolder();
        // Two tables of this run never share a Paradox table; a table from an earlier
        // run is the overwrite question's to decide.
        QString note;
        if (writtenThisRun.contains(target, Qt::CaseInsensitive)) {
            const QString cleaned = target;
            target = UniqueTargetName(target, writtenThisRun);
            note = renameNote(sourceName, cleaned, target);
            proc.report(160, std::make_exception_ptr(std::runtime_error(note.toStdString())));
        }

        // A first pass over the rows tells the definition what the values need. The code
        // page it picks may respell the table's name, and the question and the DROP TABLE
        // concern the table under that name. A table that cannot be read gets one report,
        // leaves its earlier copy alone, and no empty table is created.
        const std::string select = ("SELECT * FROM `" + sourceName + u'`').toStdString();
        TableProfile profile;
        int codePage = 1252;
        const bool profiled = proc.step(194, [&] {
            db::Recordset firstPass;
            firstPass.open(select, source);
            profile = ProfileRows(firstPass);
            codePage = ChooseCodePage(profile, target, firstPass);
        });
        const QString spelledTarget = BestFitName(target, codePage);

        // Asked for the source name and, since a cleaned name is what the folder holds,
        // for the target name too.
        enum class Answer { None, Yes, No } answer = Answer::None;
        if (profiled && proc.test(166, [&] {
                return ListContains(state_.targetTables, sourceName) ||
                       ListContains(state_.targetTables, target) ||
                       ListContains(state_.targetTables, spelledTarget);
            })) {
            proc.step(168, [&] {
                const OverwriteAnswer given = reports.askOverwrite(
                    QStringLiteral("Would you like to overwrite ") + sourceName + u'?');
                answer = given == OverwriteAnswer::Yes || given == OverwriteAnswer::YesToAll
                             ? Answer::Yes
                             : Answer::No;
            });
        }
        if (answer != Answer::No) {
            if (proc.test(174, [&] { return perTableMode(in); })) {
                proc.step(176, [&] { state_.statements.clear(); });
                proc.step(178, [&] { state_.typeMappings.clear(); });
            }
            const int failuresBefore = state_.statementsFailed;
            if (answer == Answer::Yes &&
                proc.test(182, [&] { return TableFileExists(folder, spelledTarget); }))
                proc.step(188, [&] {
                    DispatchStatement(
                        QStringLiteral("DROP TABLE ") + QuoteIdentifier(spelledTarget), in, state_);
                });
            proc.step(192, [&] {
                host_.progress.setCaption(QStringLiteral("Please wait... Processing table ") +
                                          sourceName);
            });
            TableStatistics table{sourceName, target, note};
            if (profiled) table.codePage = codePage;
            const BestFitRows* respelling = nullptr;
            const bool dropFailed = tableDefinitionFailed(failuresBefore, state_);
            const bool read = profiled && !dropFailed && proc.step(196, [&] {
                if (!options_.replaceUnmappable) return sourceRows.open(select, source);
                auto rows = std::make_unique<BestFitRows>(source.session().query(select), codePage);
                respelling = rows.get();
                sourceRows.open(std::move(rows));
            });
            if (read) {
                writtenThisRun << target;
                const std::int64_t executedBefore = state_.statementsExecuted;
                table.read = true;
                table.rowsInSource = sourceRows.recordCount();
                QString spelled = target;
                const FieldRoles roles =
                    BuildTableDefinition(sourceName, target, sourceRows, proc, host_, state_,
                                         &profile, &spelled, options_.keepBinary);
                table.target = spelled;
                if (!tableDefinitionFailed(failuresBefore, state_)) {
                    progress.startTable(TableProgress::Phase::Converting,
                                        stats_.tablesInSource - position, sourceName);
                    const TransferCounts counts =
                        TransferRows(spelled, sourceRows, roles, literals, proc, host_, state_,
                                     [&progress](std::int64_t row, std::int64_t rows) {
                                         progress.row(row, rows);
                                     });
                    if (respelling != nullptr && respelling->rowsRespelled() > 0)
                        proc.report(494,
                                    std::make_exception_ptr(std::runtime_error(
                                        std::to_string(respelling->rowsRespelled()) +
                                        " rows of table " + sourceName.toStdString() +
                                        " hold characters that its code page cannot hold; "
                                        "they were written with a best-fit spelling and \"?\".")));
                    stats_.rowsDispatched += counts.rowsDispatched;
                    stats_.rowsFailed += counts.rowsFailed;
                    ++stats_.tablesProcessed;
                    targetLost = counts.targetLost;
                    table.rowsRead = counts.rowsDispatched + counts.rowsFailed;
                    table.rowsWritten = counts.rowsDispatched;
                    table.rowsRefused = counts.rowsFailed;
                    table.rowsUnreadable = counts.rowsUnreadable;
                }
                // Straight to the target, a table none of whose statements went in is not
                // there at all.
                if (!in.previewEnabled() && state_.statementsExecuted == executedBefore)
                    stats_.tablesFailed << sourceName;
                else if (!perTableMode(in))
                    stats_.tablesWritten << sourceName;
                proc.step(498, [&] { sourceRows.close(); });
            } else {
                (dropFailed ? stats_.tablesFailed : stats_.tablesSkipped) << sourceName;
            }
            stats_.tables.push_back(std::move(table));
            state_.stopAfterPreview = true;
            if (proc.test(502, [&] { return perTableMode(in); })) {
                state_.previewExecuted = false;
                state_.previewLinesRun = 0;
                proc.step(506, [&] { host_.preview.showPreview(state_); });
                if (read)
                    (state_.previewExecuted       ? stats_.tablesWritten
                     : state_.previewLinesRun > 0 ? stats_.tablesPartlyWritten
                                                  : stats_.tablesSkipped)
                        << sourceName;
                if (state_.stopAfterPreview) {
                    stats_.tablesNotReached << state_.sourceTables.mid(0, position);
                    break;
                }
            }
        } else {
            stats_.tablesSkipped << sourceName;
        }
        proc.step(510, [&] { host_.progress.setCaption(QString()); });
        if (targetLost) {  // every later table would meet the same fault
            stats_.tablesNotReached << state_.sourceTables.mid(0, position);
            break;
        }
    }

    if (proc.test(516, [&] { return in.previewEnabled() && in.previewPerFile(); })) {
        state_.previewExecuted = false;
        state_.previewLinesRun = 0;
        proc.step(520, [&] { host_.preview.showPreview(state_); });
        if (!state_.previewExecuted) {
            stats_.previewNotExecuted = host_.preview.executes();
            stats_.previewLinesRun = state_.previewLinesRun;
            stats_.previewLines = state_.previewLines;
            if (!options_.statementsOnly) proc.step(524, [&] { state_.targetConnection->close(); });
            proc.step(526, [&] { source.close(); });
            connectionsOpen = false;
            proc.step(530, [&] { host_.progress.setCaption(QString()); });
        }
    }
    const bool written = !in.previewEnabled() || (in.previewPerFile() && state_.previewExecuted);
    // After a fault that ended the run, reading the target back can only fail too.
    if (options_.verify && connectionsOpen && targetOpen && written && !targetLost) {
        proc.step(532, [&] {
            std::vector<TablePair> tables;
            for (const TableStatistics& t : stats_.tables)
                if (t.read) tables.push_back({t.source, t.target});
            // A phase of its own on the bar, table by table, so that the window repaints.
            RunProgress readBack(host_.progress, static_cast<int>(tables.size()));
            std::size_t shown = tables.size();
            stats_.verification = VerifyTables(
                tables, source, *state_.targetConnection,
                [&](std::size_t table, std::int64_t done, std::int64_t rows) {
                    if (table != shown) {
                        shown = table;
                        readBack.startTable(TableProgress::Phase::ReadingBack,
                                            static_cast<int>(table) + 1, tables[table].source);
                    }
                    host_.progress.setValue(rows > 0 ? static_cast<double>(done) / rows * 100.0
                                                     : 0.0);
                    readBack.row(done + 1, rows);
                    host_.pump.yield();
                });
            stats_.verified = true;
        });
    }
    if (connectionsOpen) {
        if (!options_.statementsOnly) proc.step(534, [&] { state_.targetConnection->close(); });
        proc.step(536, [&] { source.close(); });
    }
    stats_.unshownReports = reports.unshown();
    stats_.reportLog = reports.logFile();
    stats_.previewLinesSkipped = state_.previewLinesSkipped;
    if (rejects) {
        rejects->finish();
        if (rejects->written()) stats_.rejectsFile = rejects->path();
        stats_.rejectsFileFailed = rejects->failed();
        state_.onRefused = refusedBefore;
    }
    proc.step(538, [&] {
        QStringList notes{reports.finalNote()};
        QStringList files{stats_.reportLog};
        if (!stats_.rejectsFile.isEmpty())
            notes << QStringLiteral("The refused statements are in ") + stats_.rejectsFile +
                         QStringLiteral(": fix them there and run the file.");
        else if (stats_.rejectsFileFailed)
            notes << QStringLiteral("The rejects file could not be written in ") +
                         in.paradoxFolder() + u'.';
        if (stats_.rowsFailed > 0 && !options_.replaceUnmappable) notes << options_.refusedRowsHint;
        files << stats_.rejectsFile;
        notes.removeAll(QString());
        files.removeAll(QString());
        reports.finalMessage(RunSummaryText(stats_, state_.statementsFailed) +
                                 (notes.isEmpty() ? QString()
                                                  : QStringLiteral("\r\n\r\n") +
                                                        notes.join(QStringLiteral("\r\n\r\n"))),
                             in.paradoxFolder(), files);
    });
    proc.step(540, [&] { host_.progress.setValue(0); });
    proc.step(542, [&] { host_.progress.setCaption(QString()); });
    proc.step(544, [&] { host_.pointer.setBusy(false); });
    state_.conversionRunning = false;
}

}  // namespace velmora
