#include "engine/ConversionRun.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "common/Helpers.h"
#include "common/UiNames.h"
#include "dataaccess/AdoTypes.h"
#include "engine/AccessCatalog.h"
#include "engine/Dispatch.h"
#include "engine/FolderTables.h"
#include "engine/RejectsFile.h"
#include "engine/Relationships.h"
#include "engine/RunProgress.h"
#include "engine/RunReports.h"
#include "engine/RunSteps.h"
#include "engine/RunSummary.h"
#include "engine/SourceConnection.h"
#include "engine/SourceLosses.h"
#include "engine/TableRun.h"
#include "engine/TargetFolder.h"
#include "engine/TargetNames.h"

namespace velmora {

using namespace runstep;

// What one start() holds from its first step to its last.
struct ConversionRun::Session {
    explicit Session(RunHost& host)
        : reports(host.prompts, host.inputs), proc(reports, ui::mainWindow::kStartClick) {}

    RunReports reports;
    Procedure proc;
    db::Connection source;
    bool connectionsOpen = false;
    bool targetOpen = false;
    bool targetLost = false;
    std::optional<RejectsFile> rejects;
    std::function<void(std::string_view, const QString&)> refusedBefore;  // the front end's
    bool createFolder = false;  // the folder is missing and the run may create it
    bool endedEarly = false;    // a table ended the run before the last one was done
};

void ConversionRun::start() {
    if (state_.conversionRunning) return;
    state_.conversionRunning = true;
    state_.cancelRequested = false;
    stats_ = {};
    leftOut_.clear();
    state_.statementsExecuted = state_.statementsFailed = 0;
    state_.previewLinesSkipped = 0;
    // A run's preview shows its own statements only, never those an earlier run left.
    state_.statements.clear();
    state_.typeMappings.clear();
    Session run(host_);
    if (findTargetFolder(run)) {
        run.proc.step(kBusyPointer, [&] { host_.pointer.setBusy(true); });
        if (openSource(run) && openTarget(run)) {
            convertTables(run);
            finish(run);
        }
    }
    state_.conversionRunning = false;
}

void ConversionRun::convertTables(Session& run) {
    const LiteralWriter literals(locale_);
    QStringList writtenThisRun;
    const int tableCount = static_cast<int>(state_.sourceTables.size());
    RunProgress progress(host_.progress, tableCount);
    TableRunContext tables{run.proc,    host_,      state_,         options_,
                           literals,    run.source, writtenThisRun, stats_.recoveredTables,
                           run.reports, progress};
    SourceRules rules;
    if (options_.accessRules && run.source.isOpen()) {
        rules = SourceRules::read(run.source);
        tables.rules = &rules;
        tables.schemaReport = &stats_.schemaReport;
    }
    for (int position = tableCount - 1; position >= 0; --position) {
        tables.tableNumber = tableCount - position;
        // Without a target, statements that go straight to it would each fail in turn;
        // the failed open has been reported once, which says it all.
        if (state_.cancelled() || (!run.targetOpen && !host_.inputs.previewEnabled())) {
            notReached(position + 1);
            run.endedEarly = true;
            break;
        }
        TableRun table(tables, state_.sourceTables.at(position));
        stats_.tables.push_back(table.run());
        run.targetLost = table.targetLost();
        if (table.endsRun()) {
            notReached(position);
            run.endedEarly = true;
            break;
        }
    }
    if (tables.rules != nullptr) {
        QStringList converted;
        for (const TableOutcome& table : stats_.tables)
            if (table.result == TableResult::Written) converted << table.source;
        stats_.schemaReport += RunLevelLeftBehind(rules, converted);
        addRelationships(run, rules);
    }
    stats_.cancelled = state_.cancelled();
    for (const QString& name : leftOut_) {
        TableOutcome table;
        table.source = name;
        table.result = TableResult::LeftOut;
        stats_.tables.push_back(std::move(table));
    }
}

void ConversionRun::addRelationships(Session& run, const SourceRules& rules) {
    const MainInputs& in = host_.inputs;
    RelationshipPlan plan =
        PlanRelationships(rules, stats_.tables, options_.keys == RunOptions::Keys::Access);
    stats_.schemaReport += plan.leftBehind;
    if (plan.carried.empty()) return;
    const bool perTable = in.previewEnabled() && in.previewPerTable() && !in.previewPerFile();
    // The tables are in the target once their statements ran; listed, they will hold the
    // source's rows.
    const bool inTarget = !in.previewEnabled() || perTable;
    // A run that ended early (cancelled, left at a preview with Back, its target lost)
    // adds nothing more.
    if (run.endedEarly || state_.cancelled() || (inTarget && (!run.targetOpen || run.targetLost))) {
        for (const CarriedRelationship& r : plan.carried)
            stats_.schemaReport << NotCarried(
                r, QStringLiteral("the run ended before the relationships were added."));
        return;
    }
    if (perTable) {
        state_.statements.clear();
        state_.typeMappings.clear();
    }
    for (const CarriedRelationship& r : plan.carried) {
        Orphans orphans;
        if (!run.proc.step(kRelationshipRows, [&] {
                orphans =
                    FindOrphans(inTarget ? *state_.targetConnection : run.source, r, inTarget);
            })) {
            stats_.schemaReport << NotCarried(
                r, QStringLiteral("its rows could not be read to check them (reported)."));
            continue;
        }
        if (orphans.rows > 0) {
            stats_.schemaReport << NotCarried(r, OrphansReason(orphans));
            continue;
        }
        const std::int64_t failedBefore = state_.statementsFailed;
        run.proc.step(kAddRelationship, [&] { DispatchStatement(r.statement, in, state_); });
        if (state_.statementsFailed > failedBefore) {
            ++stats_.relationshipsRefused;
            stats_.schemaReport << NotCarried(r,
                                              QStringLiteral("the target refused it (reported)."));
        } else {
            ++stats_.relationshipsAdded;
        }
    }
    // A preview per table shows the relationships on their own, after the last table's.
    if (perTable && state_.statements.count() > 0) {
        state_.previewExecuted = false;
        run.proc.step(kRelationshipsPreview, [&] { host_.preview.showPreview(state_); });
    }
}

// False when the run ends before it began: the folder holds no Paradox table and none
// may be created there. A missing folder that may be created is created only once the
// source has opened (openTarget).
bool ConversionRun::findTargetFolder(Session& run) {
    MainInputs& in = host_.inputs;
    run.proc.step(kOfferFolderCopy, [&] { CopyDB(false, in, host_.prompts); });
    state_.targetConnection = std::make_unique<db::Connection>();
    FolderTables found = FolderTables::Present;
    bool noTables = run.proc.test(kFolderHoldsNoTable, [&] {
        if (options_.statementsOnly) return false;
        found = ExamineFolderTables(in.paradoxFolder());
        if (options_.acceptFolderWithoutTables && found != FolderTables::NotGiven) return false;
        return found != FolderTables::Present;
    });
    if (noTables && options_.askAboutFolderWithoutTables)
        noTables = !AgreeToNewTables(in.paradoxFolder(), found, host_.prompts);
    run.createFolder = !noTables && found == FolderTables::Missing && !options_.statementsOnly;
    return !noTables;
}

// The source's tables and its connection. A source that cannot be opened (a wrong or
// missing password, no such file, not an Access database, cut short) is one message that
// names the file and the reason; the run ends there, with nothing in the folder changed.
bool ConversionRun::openSource(Session& run) {
    MainInputs& in = host_.inputs;
    const QString file = in.accessFile();
    state_.targetTables.clear();
    state_.sourceTables.clear();
    try {
        if (!FileExists(file)) throw std::runtime_error("the file does not exist.");
        FillSourceTableList(state_.sourceTables, file, in, host_.prompts, host_.pump, &leftOut_);
        run.source.setCursorLocation(db::ado::adUseClient);
        run.source.setMode(db::ado::adModeReadWrite);
        OpenSourceConnection(run.source, in);
    } catch (...) {
        notStarted(run, SourceFailureText(file, describeException(std::current_exception())));
        return false;
    }
    if (options_.tableWanted) {
        const auto unwanted = [&](const QString& name) { return !options_.tableWanted(name); };
        state_.sourceTables.removeIf(unwanted);
        leftOut_.removeIf(unwanted);
    }
    run.connectionsOpen = true;
    // A damaged catalogue is told once; the tables it lost were found from their definitions.
    const db::SourceDamage damage = run.source.damage();
    if (!damage.catalogue.empty()) {
        stats_.catalogueDamage = QString::fromStdString(damage.catalogue);
        for (const std::string& name : damage.recoveredTables)
            stats_.recoveredTables << QString::fromStdString(name);
        run.proc.report(kOpenSource, std::make_exception_ptr(std::runtime_error(
                                         CatalogueDamageReport(file, damage).toStdString())));
    }
    return true;
}

bool ConversionRun::openTarget(Session& run) {
    MainInputs& in = host_.inputs;
    Procedure& proc = run.proc;
    std::error_code created;
    if (run.createFolder)
        std::filesystem::create_directories(QFile::encodeName(in.paradoxFolder()).toStdString(),
                                            created);
    if (created) {
        run.source.close();
        run.connectionsOpen = false;
        notStarted(run, QStringLiteral("The folder ") + ShownName(in.paradoxFolder()) +
                            QStringLiteral(" cannot be created: ") +
                            QString::fromStdString(created.message()) + u'.');
        return false;
    }
    proc.step(kListTargetTables, [&] {
        if (!options_.statementsOnly || IsFolder(in.paradoxFolder()) == std::optional(true))
            FillTargetTableList(state_.targetTables, in, host_.pump);
    });
    proc.step(kTargetCursorLocation,
              [&] { state_.targetConnection->setCursorLocation(db::ado::adUseClient); });
    // Tables that hold data from a protected source are readable by their owner only.
    const bool ownerOnly = SourceNeedsPassword(in.accessFile());
    run.reports.setOwnerOnly(ownerOnly);
    run.targetOpen = !options_.statementsOnly && proc.step(kOpenTarget, [&] {
        OpenTargetConnection(*state_.targetConnection, in.paradoxFolder(), ownerOnly);
    });
    // Refused statements go to the rejects file as well as to whatever the front end does
    // with them, as private as the tables.
    run.refusedBefore = state_.onRefused;
    if (options_.rejectsBesideTables && !options_.statementsOnly) {
        run.rejects.emplace(
            QDir(in.paradoxFolder()).filePath(QString::fromLatin1(kRejectsFileName)), ownerOnly);
        state_.onRefused = [&run](std::string_view statement, const QString& error) {
            run.rejects->add(statement, error);
            if (run.refusedBefore) run.refusedBefore(statement, error);
        };
    }
    return true;
}

void ConversionRun::notStarted(Session& run, const QString& why) {
    stats_.startFailure = why;
    host_.prompts.failure(why);
    run.proc.step(kPointerBack, [&] { host_.pointer.setBusy(false); });
}

void ConversionRun::notReached(int count) {
    for (int i = 0; i < count; ++i) {
        TableOutcome table;
        table.source = state_.sourceTables.at(i);
        table.result = TableResult::NotReached;
        stats_.tables.push_back(std::move(table));
    }
}

void ConversionRun::finish(Session& run) {
    showFilePreview(run);
    const MainInputs& in = host_.inputs;
    const bool written = !in.previewEnabled() || (in.previewPerFile() && state_.previewExecuted);
    // After a fault that ended the run, reading the target back can only fail too.
    if (options_.verify && run.connectionsOpen && run.targetOpen && written && !run.targetLost &&
        !state_.cancelled())
        verify(run);
    Procedure& proc = run.proc;
    if (run.connectionsOpen) {
        if (!options_.statementsOnly)
            proc.step(kCloseTarget, [&] { state_.targetConnection->close(); });
        proc.step(kCloseSource, [&] { run.source.close(); });
    }
    stats_.unshownReports = run.reports.unshown();
    stats_.reportLog = run.reports.logFile();
    stats_.previewLinesSkipped = state_.previewLinesSkipped;
    if (run.rejects) {
        run.rejects->finish();
        if (run.rejects->written()) stats_.rejectsFile = run.rejects->path();
        stats_.rejectsFileFailed = run.rejects->failed();
        state_.onRefused = run.refusedBefore;
    }
    proc.step(kFinalMessage, [&] {
        QStringList notes{run.reports.finalNote()};
        if (!stats_.rejectsFile.isEmpty())
            notes << QStringLiteral("The refused statements are in ") + stats_.rejectsFile +
                         QStringLiteral(": fix them there and run the file.");
        else if (stats_.rejectsFileFailed)
            notes << QStringLiteral("The rejects file could not be written in ") +
                         in.paradoxFolder() + u'.';
        if (stats_.rowsRefused() > 0 && !options_.replaceUnmappable)
            notes << options_.refusedRowsHint;
        notes.removeAll(QString());
        QStringList files{stats_.reportLog, stats_.rejectsFile};
        files.removeAll(QString());
        const QString text =
            RunSummaryText(stats_) +
            (notes.isEmpty() ? QString()
                             : QStringLiteral("\r\n\r\n") + notes.join(QStringLiteral("\r\n\r\n")));
        run.reports.finalMessage(text, in.paradoxFolder(), files);
    });
    proc.step(kResetProgress, [&] { host_.progress.setValue(0); });
    proc.step(kClearCaption, [&] { host_.progress.setCaption(QString()); });
    proc.step(kPointerBack, [&] { host_.pointer.setBusy(false); });
}

void ConversionRun::showFilePreview(Session& run) {
    const MainInputs& in = host_.inputs;
    Procedure& proc = run.proc;
    if (!proc.test(kPerFilePreview, [&] { return in.previewEnabled() && in.previewPerFile(); }))
        return;
    state_.previewExecuted = false;
    state_.previewLinesRun = 0;
    proc.step(kShowFilePreview, [&] { host_.preview.showPreview(state_); });
    if (state_.previewExecuted) return;
    stats_.previewNotExecuted = host_.preview.executes();
    stats_.previewLinesRun = state_.previewLinesRun;
    stats_.previewLines = state_.previewLines;
    if (!options_.statementsOnly)
        proc.step(kCloseTargetUnexecuted, [&] { state_.targetConnection->close(); });
    proc.step(kCloseSourceUnexecuted, [&] { run.source.close(); });
    run.connectionsOpen = false;
    proc.step(kClearCaptionUnexecuted, [&] { host_.progress.setCaption(QString()); });
}

// Each table whose source was read is read back, its result kept with the table.
void ConversionRun::verify(Session& run) {
    run.proc.step(kVerify, [&] {
        std::vector<TablePair> pairs;
        std::vector<TableOutcome*> read;
        for (TableOutcome& t : stats_.tables) {
            if (!t.read || t.result == TableResult::Cancelled || t.result == TableResult::Failed)
                continue;
            pairs.push_back(
                {t.source, t.target, t.columns, t.columnOrder, t.keyOrdinals, t.keyColumns});
            read.push_back(&t);
        }
        // A phase of its own on the bar, table by table, and the window repaints meanwhile.
        RunProgress readBack(host_.progress, static_cast<int>(pairs.size()));
        std::size_t shown = pairs.size();
        std::vector<TableVerification> results = VerifyTables(
            pairs, run.source, *state_.targetConnection,
            [&](std::size_t table, std::int64_t done, std::int64_t rows) {
                if (table != shown) {
                    shown = table;
                    readBack.startTable(TableProgress::Phase::ReadingBack,
                                        static_cast<int>(table) + 1, pairs[table].source);
                }
                host_.progress.setValue(rows > 0 ? static_cast<double>(done) / rows * 100.0 : 0.0);
                readBack.row(done + 1, rows);
                host_.pump.yield();
                return !state_.cancelled();
            });
        // Cancelled part way, the tables stay as written but were not verified.
        if (state_.cancelled()) return;
        for (std::size_t i = 0; i < results.size() && i < read.size(); ++i)
            read[i]->verification = std::move(results[i]);
        stats_.verified = true;
    });
}

}  // namespace velmora
