// velmora-convert: the conversion without windows, on the same engine.

#include <signal.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "cli/BatchRun.h"
#include "cli/CommandLine.h"
#include "cli/PasswordSource.h"
#include "cli/ReportLines.h"
#include "cli/RunSummaryJson.h"
#include "cli/StatementFile.h"
#include "cli/TableSummary.h"
#include "cli/TerminalHost.h"
#include "common/UiNames.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "drivers/BuiltInDrivers.h"
#include "engine/AccessCatalog.h"
#include "engine/ConversionRun.h"
#include "engine/FolderTables.h"
#include "engine/SecretMemory.h"
#include "engine/SourceConnection.h"
#include "engine/StatementExecution.h"
#include "engine/TargetFolder.h"
#include "engine/TargetNames.h"
#include "engine/Verification.h"

using namespace velmora;

namespace {

// SIGINT and SIGTERM cancel the run as Cancel does in the window; a second one ends the
// program at once (which leaves every table as it was or whole, too).
std::atomic<bool>* cancelFlag = nullptr;
volatile sig_atomic_t cancelSignal = 0;

extern "C" void cancelOnSignal(int number) {
    cancelSignal = number;
    if (cancelFlag) cancelFlag->store(true, std::memory_order_relaxed);
}

void cancelRunOnSignals(std::atomic<bool>& flag) {
    cancelFlag = &flag;
    struct sigaction action {};
    action.sa_handler = cancelOnSignal;
    action.sa_flags = SA_RESETHAND;  // not restarted: a question waiting for input gives up
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

[[noreturn]] void fail(const QString& text) {
    std::cerr << "velmora-convert: " << text.toStdString() << std::endl;
    std::exit(2);
}

CommandLine parse(const QStringList& arguments) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (std::holds_alternative<HelpRequested>(parsed)) {
        std::cout << HelpText().toStdString();
        std::exit(0);
    }
    if (std::holds_alternative<VersionRequested>(parsed)) {
        std::cout << VersionText().toStdString();
        std::exit(0);
    }
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::cerr << "velmora-convert: " << error->text.toStdString()
                  << "\nTry 'velmora-convert --help' for more information." << std::endl;
        std::exit(2);
    }
    return std::get<CommandLine>(parsed);
}

// Tab-separated, after a header line, as --types writes them.
void printListLine(const QString& table, std::int64_t rows) {
    std::cout << EscapeLine(table.toStdString()) << '\t' << rows << '\n';
}

// The Paradox tables of a folder with their row counts; every other .db file is named on
// standard error with the reason it was passed over. Links are never followed.
int listParadoxFolder(const QString& folder) {
    db::Connection connection;
    try {
        OpenTargetConnection(connection, folder);
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }
    const QStringList names =
        QDir(folder).entryList({"*.db"}, QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase);
    std::cout << "table\trows\n";
    for (const QString& file : names) {
        const QString path = folder + u'/' + file;
        QString why = WhyNotAParadoxTable(path);
        if (why.isEmpty()) {
            const QString table = file.left(file.size() - 3);
            try {
                db::Recordset rows;
                rows.open(("SELECT COUNT(*) FROM " + QuoteIdentifier(table)).toStdString(),
                          connection);
                printListLine(table, rows.fields()[0].value().asInt());
                continue;
            } catch (const std::exception& e) {
                why = QString::fromUtf8(e.what());
            }
        }
        std::cout.flush();
        std::cerr << "velmora-convert: skipped " << EscapeLine(path.toStdString()) << ": "
                  << EscapeLine(why.toStdString()) << std::endl;
    }
    return 0;
}

int listTables(const CommandLine& c) {
    if (QFileInfo(c.source).isDir()) return listParadoxFolder(c.source);
    FixedInputs inputs;
    inputs.sourceFile = c.source;
    inputs.sourcePassword = c.password;
    inputs.sourceCodePage = c.jet3CodePage;
    try {
        const auto names = GetSourceTables(c.source, inputs);
        if (!names) fail("Unable to access the database " + c.source);
        db::Connection connection;
        OpenSourceConnection(connection, inputs);
        std::cout << "table\trows\n";
        for (const QString& name : *names) {
            db::Recordset rows;
            rows.open(("SELECT * FROM `" + name + u'`').toStdString(), connection);
            printListLine(name, rows.recordCount());
        }
        WipeText(inputs.sourcePassword);
        return 0;
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }
}

int executeFile(const CommandLine& c) {
    db::Connection target;
    try {
        OpenTargetConnection(target, c.target);
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }
    TerminalProgress progress(c.verbosity != Verbosity::Quiet);
    TerminalPrompts prompts(c.overwrite, c.verbosity, std::cout, &progress);
    NoEventPump pump;
    Procedure proc(prompts, ui::preview::kExecuteClick);
    int count = 0;
    std::string failed;
    ExecutionOutcome outcome;
    try {
        outcome = ExecuteStatementFile(c.executeFile, target, proc, progress, pump, count, failed);
    } catch (const std::exception& e) {
        progress.clear();
        fail(QString::fromUtf8(e.what()));
    }
    progress.clear();
    if (outcome.stoppedBySqlError) {
        std::cerr << "velmora-convert: " << c.executeFile.toStdString() << ": Statement "
                  << outcome.errorLine << ": " << ShownStatement(failed) << '\n'
                  << "velmora-convert: "
                  << TerminalText(outcome.errorText).replace(u'\n', u' ').toStdString()
                  << std::endl;
        return 1;
    }
    if (c.verbosity != Verbosity::Quiet) std::cout << count << " lines executed." << std::endl;
    return prompts.reports() == 0 ? 0 : 1;
}

// The password from --password-file or, when none was given and the database needs
// one, from a prompt at the terminal.
void obtainPassword(CommandLine& c) {
    if (!c.passwordFile.isEmpty()) {
        KeepSecretsOutOfCoreDumps();
        try {
            c.password = ReadPasswordFile(c.passwordFile);
        } catch (const std::exception& e) {
            fail(QString::fromUtf8(e.what()));
        }
        return;
    }
    if (c.passwordGiven || c.source.isEmpty() || QFileInfo(c.source).isDir() ||
        !SourceNeedsPassword(c.source))
        return;
    // Without a terminal nobody can answer: one error before anything is written.
    if (!isatty(STDIN_FILENO)) fail(PasswordNeededText(c.source));
    KeepSecretsOutOfCoreDumps();
    if (auto typed = PromptForPassword("Password for " + QFileInfo(c.source).fileName() + ": "))
        c.password = *typed;
}

// Blanks the value of --password in the process's own argument memory, which is what `ps`
// and /proc/PID/cmdline show, once it has been parsed: it stays visible only meanwhile.
void HidePasswordArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        char* value = nullptr;
        if (std::strcmp(argv[i], "--password") == 0 && i + 1 < argc)
            value = argv[++i];
        else if (std::strncmp(argv[i], "--password=", 11) == 0)
            value = argv[i] + 11;
        if (value) explicit_bzero(value, std::strlen(value));
    }
}

// The source opens, and every table that -t names is in it, before anything else happens:
// a source that cannot be opened is one message and nothing in the target changes.
void checkSource(const CommandLine& c, const FixedInputs& inputs) {
    std::optional<QStringList> names;
    try {
        names = GetSourceTables(c.source, inputs);
    } catch (const std::exception& e) {
        fail(SourceFailureText(c.source, QString::fromUtf8(e.what())));
    }
    if (!names) fail(SourceFailureText(c.source, QStringLiteral("the file does not exist")));
    for (const QString& wanted : c.tables)
        if (!names->contains(wanted, Qt::CaseInsensitive))
            fail("no table \"" + wanted + "\" in " + c.source + " (--list shows its tables)");
}

// A folder the run writes into is one it can write into, or one error before any table.
// A file is tried, not the mode: root passes every mode check but not a read-only mount.
// A new folder is made by the run itself, once the source has opened.
void checkTargetFolder(const CommandLine& c) {
    if (!c.sqlFile.isEmpty()) return;  // nothing is written there
    if (!QFileInfo(c.target).isDir()) {
        if (c.newFolder && !QFileInfo::exists(c.target)) return;
        fail(c.target + " is not a folder (--new-folder creates it)");
    }
    QByteArray probe = QFile::encodeName(c.target + QStringLiteral("/.velmora-write-check-XXXXXX"));
    const int fd = mkstemp(probe.data());
    if (fd < 0)
        fail("cannot write into " + c.target + ": " + QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    ::unlink(probe.constData());
}

// The rejects file is opened before the run, so when it lies in the folder --new-folder is to
// create, that folder is made now; the source has opened, as the run itself would require.
void makeNewFolderForRejects(const CommandLine& c) {
    if (!c.newFolder || c.rejectsFile.isEmpty() || IsStandardStream(c.rejectsFile) ||
        QFileInfo::exists(c.target))
        return;
    const QString target = QDir(c.target).absolutePath();
    if (QFileInfo(c.rejectsFile).absolutePath() == target && !QDir().mkpath(target))
        fail("cannot create " + c.target + ": " + QString::fromLocal8Bit(std::strerror(errno)));
}

// A folder without a Paradox table, named with every .db file in it and why none is one.
void checkFolderHoldsATable(const QString& folder) {
    const QStringList files =
        QDir(folder).entryList({"*.db"}, QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase);
    QStringList reasons;
    for (const QString& file : files) {
        const QString why = WhyNotAParadoxTable(folder + u'/' + file);
        if (why.isEmpty()) return;
        reasons << QString::fromStdString(EscapeLine(file.toStdString())) + QStringLiteral(": ") +
                       why;
    }
    const QString advice = QStringLiteral(
        " Pick a folder that holds one, or add --new-folder to create the tables there.");
    if (reasons.isEmpty())
        fail(folder + QStringLiteral(" holds no Paradox table (.db) yet.") + advice);
    fail(folder + QStringLiteral(" holds no Paradox table: ") + reasons.join(QStringLiteral("; ")) +
         u'.' + advice);
}

std::function<bool(const QString&)> tableFilter(const CommandLine& c) {
    if (c.tables.isEmpty() && c.excludedTables.isEmpty()) return {};
    return [only = c.tables, excluded = c.excludedTables](const QString& name) {
        return (only.isEmpty() || only.contains(name, Qt::CaseInsensitive)) &&
               !excluded.contains(name, Qt::CaseInsensitive);
    };
}

void printTextSummary(std::ostream& out, const RunStatistics& stats, int reports, bool listed,
                      bool accessKeys) {
    out << TableSummary(stats, listed);
    if (accessKeys) {
        int keyed = 0, indexes = 0, notWritten = 0, autoIncrement = 0;
        for (const TableOutcome& t : stats.tables) {
            keyed += t.keyedOnAccess;
            indexes += t.indexesWritten;
            notWritten += t.indexesNotWritten;
            autoIncrement += t.autoIncrementFields;
        }
        out << "Keys: " << keyed << " tables keyed on their Access primary key, " << indexes
            << " indexes " << (listed ? "listed" : "written") << ", " << notWritten
            << " not written (reported), " << autoIncrement << " AutoNumber fields as AUTOINC\n";
    }
    out << "Tables: " << stats.tablesProcessed() << ", rows " << (listed ? "listed: " : "written: ")
        << stats.rowsWritten() << ", statements failed: " << stats.statementsFailed()
        << ", errors reported: " << reports << std::endl;
    if (stats.verified)
        out << "Verification:\n"
            << VerificationSummary(stats.verification()).toStdString() << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    RegisterBuiltInDrivers();
    // A password on the command line is in this process's memory from the start.
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--password", 10) == 0) KeepSecretsOutOfCoreDumps();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("velmora-convert");
    CommandLine c = parse(app.arguments().mid(1));
    HidePasswordArgument(argc, argv);
    if (c.batch) return RunBatch(c);
    if (!c.executeFile.isEmpty()) return executeFile(c);
    obtainPassword(c);
    if (c.list) {
        const int status = listTables(c);
        WipeText(c.password);
        return status;
    }

    const bool listed = !c.sqlFile.isEmpty();
    FixedInputs inputs;
    inputs.targetFolder = c.target;
    inputs.sourceFile = c.source;
    inputs.sourcePassword = c.password;
    inputs.sourceCodePage = c.jet3CodePage;
    inputs.preview = listed;
    inputs.perFile = true;
    inputs.perTable = false;
    checkSource(c, inputs);
    checkTargetFolder(c);
    if (!listed && !c.newFolder) checkFolderHoldsATable(c.target);
    if (!listed) makeNewFolderForRejects(c);

    // Whatever takes standard output, the text for people goes to standard error.
    const bool jsonOnStandardOutput =
        c.jsonSummary && (c.summaryFile.isEmpty() || IsStandardStream(c.summaryFile));
    const bool outputTaken = IsStandardStream(c.sqlFile) || IsStandardStream(c.typesFile) ||
                             IsStandardStream(c.rejectsFile) || jsonOnStandardOutput;
    std::ostream& text = outputTaken ? std::cerr : std::cout;
    TerminalProgress progress(c.verbosity != Verbosity::Quiet);
    TerminalPrompts prompts(c.overwrite, c.verbosity, text, &progress);

    RunState state;
    // Files after the tables hold values and names from the source: as private as the tables.
    const bool ownerOnly = SourceNeedsPassword(c.source);
    std::unique_ptr<OutputFile> rejects;
    if (!c.rejectsFile.isEmpty()) {
        try {
            rejects = std::make_unique<OutputFile>(c.rejectsFile, ownerOnly);
        } catch (const std::exception& e) {
            fail(QString::fromUtf8(e.what()));
        }
        state.onRefused = [out = &rejects->stream()](std::string_view statement,
                                                     const QString& error) {
            WriteRefusedStatement(*out, statement, error);
        };
        // Rows a damaged source left out have no statement to fix: a comment says each range.
        state.onRowsLost = [out = &rejects->stream()](const QString& table, const QString& range) {
            *out << "-- Not read from the damaged source: table "
                 << EscapeLine(QuoteIdentifier(table).toStdString()) << ", "
                 << EscapeLine(range.toStdString()) << '\n';
        };
        prompts.setHiddenReportsHint(
            IsStandardStream(c.rejectsFile)
                ? QStringLiteral(" (every refused statement went to standard output)")
                : QStringLiteral(" (every refused statement is in ") + c.rejectsFile + u')');
    } else {
        prompts.setHiddenReportsHint(
            QStringLiteral(" (--verbose shows them, --rejects FILE keeps the refused statements)"));
    }
    NoPointer pointer;
    // A statement file holds every value, as private as the tables would be.
    StatementFilePreview preview(c.sqlFile, listed && ownerOnly);
    if (listed)
        state.statementSink = [&preview](std::string_view statement) { preview.take(statement); };
    NoEventPump pump;
    RunHost host{inputs, prompts, progress, pointer, preview, pump};
    RunOptions options;
    options.acceptFolderWithoutTables = c.newFolder;
    options.replaceUnmappable = c.replaceUnmappable;
    options.keepBinary = c.keepBinary;
    options.keys = c.accessKeys ? RunOptions::Keys::Access : RunOptions::Keys::RowNumber;
    options.verify = c.verify;
    options.tableWanted = tableFilter(c);
    options.statementsOnly = listed;
    options.strict = c.strict;
    options.accessRules = c.accessRules;
    cancelRunOnSignals(state.cancelRequested);
    ConversionRun run(host, state, QLocale::system(), options);
    run.start();
    progress.clear();
    prompts.finish();
    // The copy first, so that the last owner of the buffer overwrites it.
    WipeText(inputs.sourcePassword);
    WipeText(c.password);
    const RunStatistics& stats = run.statistics();
    if (!stats.startFailure.isEmpty()) return 2;  // said once, by the run

    // Output after the tables that cannot be written leaves the tables as they are: the
    // run is incomplete (1), not unable to start.
    bool outputsWritten = true;
    const auto outputFailed = [&](const std::exception& e) {
        std::cerr << "velmora-convert: " << e.what() << std::endl;
        outputsWritten = false;
    };
    if (!c.typesFile.isEmpty()) {
        try {
            WriteTypeMappingFile(c.typesFile, state.typeMappings, ownerOnly);
        } catch (const std::exception& e) {
            outputFailed(e);
        }
    }
    const std::int64_t failed = stats.statementsFailed();
    const bool quiet = c.verbosity == Verbosity::Quiet;
    // The JSON document on standard output takes the text summary's place.
    if (!quiet && !jsonOnStandardOutput)
        printTextSummary(text, stats, prompts.reports(), listed, c.accessKeys);
    if (listed) {
        if (!preview.written())
            std::cerr << "velmora-convert: the statements were not written to "
                      << c.sqlFile.toStdString() << std::endl;
        else if (!quiet && !IsStandardStream(c.sqlFile))
            text << preview.count() << " statements written to " << c.sqlFile.toStdString()
                 << std::endl;
    }
    if (rejects) {
        try {
            rejects->finish();
            if (failed > 0 && !quiet && !IsStandardStream(c.rejectsFile))
                text << failed << " refused statements written to " << c.rejectsFile.toStdString()
                     << std::endl;
        } catch (const std::exception& e) {
            outputFailed(e);
        }
    }
    const int listedTables = static_cast<int>(stats.tables.size());
    if (listedTables > 0 && stats.count(TableResult::Declined) == listedTables)
        std::cerr << "velmora-convert: no table was written: every overwrite was declined "
                     "(--overwrite yes replaces them)"
                  << std::endl;
    bool verified = true;
    if (c.verify && !stats.cancelled) {
        if (!stats.verified)
            std::cerr << "velmora-convert: the tables could not be verified" << std::endl;
        verified = stats.verified;
        for (const TableVerification& t : stats.verification())
            verified = verified && t.allIdentical();
    }
    if (!c.schemaReportFile.isEmpty()) {
        try {
            OutputFile report(c.schemaReportFile);
            for (const QString& line : stats.schemaReport)
                report.stream() << line.toStdString() << '\n';
            report.finish();
        } catch (const std::exception& e) {
            fail(QString::fromUtf8(e.what()));
        }
    }
    const bool written = !listed || preview.written();
    int status = stats.complete() && prompts.reports() == 0 && written && verified ? 0 : 1;
    if (stats.cancelled) status = 128 + (cancelSignal != 0 ? cancelSignal : SIGINT);
    if (c.jsonSummary) {
        try {
            OutputFile summary(c.summaryFile.isEmpty() ? QStringLiteral("-") : c.summaryFile,
                               ownerOnly);
            if (!outputsWritten && status == 0) status = 1;
            summary.stream() << RunSummaryJson(c, stats, prompts.reports(), status).toStdString();
            summary.finish();
        } catch (const std::exception& e) {
            outputFailed(e);
        }
    }
    if (!outputsWritten && status == 0) status = 1;
    return status;
}
