#include "engine/ConversionRun.h"

#include <QDir>
#include <stdexcept>

#include "common/Helpers.h"
#include "dataaccess/AdoTypes.h"
#include "engine/AccessCatalog.h"
#include "engine/Dispatch.h"
#include "engine/RowTransfer.h"
#include "engine/RunReports.h"
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

}  // namespace

void ConversionRun::start() {
    if (state_.conversionRunning) return;
    state_.conversionRunning = true;
    stats_ = {};
    state_.statementsExecuted = state_.statementsFailed = 0;
    MainInputs& in = host_.inputs;
    RunReports reports(host_.prompts, in);
    Procedure proc(reports,
                   reportLocation(QStringLiteral("Form1"), QStringLiteral("PushButton7_Click")));

    proc.step(104, [&] { CopyDB(false, in, host_.prompts); });
    state_.targetConnection = std::make_unique<db::Connection>();
    db::Connection source;
    db::Recordset sourceRows;
    bool connectionsOpen = false;

    const bool noTables = proc.test(118, [&] {
        if (options_.acceptFolderWithoutTables &&
            IsFolder(in.paradoxFolder()) == std::optional(true))
            return false;
        return !FolderHasDbFiles(in);
    });
    if (noTables) {
        state_.conversionRunning = false;
        return;
    }

    proc.step(120, [&] { host_.pointer.setBusy(true); });
    proc.step(126, [&] {
        state_.targetTables.clear();
        state_.sourceTables.clear();
        FillTargetTableList(state_.targetTables, in, host_.pump);
    });
    proc.step(128, [&] {
        FillSourceTableList(state_.sourceTables, in.accessFile(), in, host_.prompts, host_.pump);
    });
    proc.step(130, [&] { source.setCursorLocation(db::ado::adUseClient); });
    proc.step(132, [&] { source.setMode(db::ado::adModeReadWrite); });
    proc.step(134,
              [&] { source.open(SourceConnectionString(QString(), QString(), in).toStdString()); });
    connectionsOpen = true;
    proc.step(138, [&] { state_.targetConnection->setCursorLocation(db::ado::adUseClient); });
    const bool targetOpen =
        proc.step(140, [&] { OpenTargetConnection(*state_.targetConnection, in.paradoxFolder()); });

    const LiteralWriter literals(locale_);
    QStringList writtenThisRun;
    for (int position = static_cast<int>(state_.sourceTables.size()) - 1; position >= 0;
         --position) {
        // Without a target, statements that go straight to it would each fail in turn;
        // the failed open has been reported once, which says it all.
        if (!targetOpen && !in.previewEnabled()) break;
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

        // Asked for the source name and, since a cleaned name is what the folder holds,
        // for the target name too.
        enum class Answer { None, Yes, No } answer = Answer::None;
        if (proc.test(166, [&] {
                return ListContains(state_.targetTables, sourceName) ||
                       ListContains(state_.targetTables, target);
            })) {
            proc.step(168, [&] {
                answer = host_.prompts.askYesNo(
                             QStringLiteral("Would you like to overwrite ") + sourceName + u'?',
                             QStringLiteral("Overwrite?"))
                             ? Answer::Yes
                             : Answer::No;
            });
        }
        if (answer != Answer::No) {
            if (proc.test(174, [&] { return perTableMode(in); })) {
                proc.step(176, [&] { state_.statements.clear(); });
                proc.step(178, [&] { state_.typeMappings.clear(); });
            }
            if (answer == Answer::Yes &&
                proc.test(182, [&] { return TableFileExists(folder, target); }))
                proc.step(188, [&] {
                    DispatchStatement(QStringLiteral("DROP TABLE ") + QuoteIdentifier(target), in,
                                      state_);
                });
            proc.step(192, [&] {
                host_.progress.setCaption(QStringLiteral("Please wait.. Processing table ") +
                                          sourceName);
            });
            // A table that cannot be read gets one report, and no empty table is created.
            TableStatistics table{sourceName, target, note};
            if (proc.step(194, [&] {
                    sourceRows.open(("SELECT * FROM `" + sourceName + u'`').toStdString(), source);
                })) {
                writtenThisRun << target;
                table.read = true;
                table.rowsInSource = sourceRows.recordCount();
                const FieldRoles roles =
                    BuildTableDefinition(sourceName, target, sourceRows, proc, host_, state_);
                const TransferCounts counts =
                    TransferRows(target, sourceRows, roles, literals, proc, host_, state_);
                stats_.rowsDispatched += counts.rowsDispatched;
                stats_.rowsFailed += counts.rowsFailed;
                ++stats_.tablesProcessed;
                table.rowsRead = counts.rowsDispatched + counts.rowsFailed;
                table.rowsWritten = counts.rowsDispatched;
                table.rowsRefused = counts.rowsFailed;
                table.rowsUnreadable = counts.rowsUnreadable;
                proc.step(498, [&] { sourceRows.close(); });
            }
            stats_.tables.push_back(std::move(table));
            state_.stopAfterPreview = true;
            if (proc.test(502, [&] { return perTableMode(in); })) {
                proc.step(506, [&] { host_.preview.showPreview(state_); });
                if (state_.stopAfterPreview) break;
            }
        }
        proc.step(510, [&] { host_.progress.setCaption(QString()); });
    }

    if (proc.test(516, [&] { return in.previewEnabled() && in.previewPerFile(); })) {
        state_.previewExecuted = false;
        proc.step(520, [&] { host_.preview.showPreview(state_); });
        if (!state_.previewExecuted) {
            proc.step(524, [&] { state_.targetConnection->close(); });
            proc.step(526, [&] { source.close(); });
            connectionsOpen = false;
            proc.step(530, [&] { host_.progress.setCaption(QString()); });
        }
    }
    const bool written = !in.previewEnabled() || (in.previewPerFile() && state_.previewExecuted);
    if (options_.verify && connectionsOpen && targetOpen && written) {
        proc.step(532, [&] {
            std::vector<TablePair> tables;
            for (const TableStatistics& t : stats_.tables)
                if (t.read) tables.push_back({t.source, t.target});
            stats_.verification = VerifyTables(tables, source, *state_.targetConnection);
            stats_.verified = true;
        });
    }
    if (connectionsOpen) {
        proc.step(534, [&] { state_.targetConnection->close(); });
        proc.step(536, [&] { source.close(); });
    }
    stats_.unshownReports = reports.unshown();
    stats_.reportLog = reports.logFile();
    proc.step(538, [&] {
        const QString note = reports.finalNote();
        host_.prompts.message(QStringLiteral("Done.") +
                              (note.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + note));
    });
    proc.step(540, [&] { host_.progress.setValue(0); });
    proc.step(542, [&] { host_.progress.setCaption(QString()); });
    proc.step(544, [&] { host_.pointer.setBusy(false); });
    state_.conversionRunning = false;
}

}  // namespace velmora
