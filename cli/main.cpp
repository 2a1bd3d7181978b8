// velmora-convert: the conversion without windows, on the same engine.

#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <fstream>
#include <iostream>

#include "cli/PasswordSource.h"
#include "cli/StatementFile.h"
#include "cli/TerminalHost.h"
#include "common/UiNames.h"
#include "dataaccess/Connection.h"
#include "dataaccess/Recordset.h"
#include "engine/AccessCatalog.h"
#include "engine/ConversionRun.h"
#include "engine/SecretMemory.h"
#include "engine/SourceConnection.h"
#include "engine/StatementExecution.h"
#include "engine/TargetFolder.h"
#include "engine/TargetNames.h"
#include "engine/Verification.h"

using namespace velmora;

namespace {

constexpr const char* kDescription =
    R"(Copies every user table of an Access database into Paradox tables.

  velmora-convert [options] SOURCE TARGET_FOLDER
      Converts SOURCE (.mdb or .accdb) into TARGET_FOLDER. The folder must already hold
      at least one Paradox table (.db), as in the program's windows; --new-folder accepts
      a new or empty folder and creates it.
  velmora-convert --execute FILE TARGET_FOLDER
      Executes a statement file (as written by --sql, perhaps edited) against
      TARGET_FOLDER in order. Blank lines are skipped; the first SQL error stops the run
      and is printed with its line number and statement.
  velmora-convert --list SOURCE
      Lists the user tables of SOURCE with their row counts; SOURCE may also be a
      folder of Paradox tables.

Statement files (--sql, --execute) are UTF-8 with one statement per line. Inside a
statement a backslash is written \\, a line feed \n, a carriage return \r and a tab \t,
so a memo holding line breaks still takes exactly one line. --types writes one record per
field: Access table, field, Access type label and Paradox type, separated by tabs and
escaped the same way.

Passwords: --password puts the password on the command line, where every user of this
computer can read it (ps, /proc), at least until the converter has read and blanked it;
use it only where that does not matter. --password-file reads the first line of FILE
(- for standard input) instead; without either, a database that needs a password is
asked for it at the terminal, without echo. No message shows the password, and the
process allows no core dump once it holds one.

Tables written from a password-protected or encrypted database are created readable and
writable by their owner only (mode 0600; the folder itself is left as it is); other
tables follow the umask.

Lines starting with "--" in a statement file are comments. --rejects writes every
statement the target refused, each after a comment holding the refusal; fix them and
run the file with --execute.

After the run a summary lists per table the rows read, written, refused and unreadable.
--verify then reads every written table back and compares it with the source row by row
and value by value, and names the first rows that differ.

Values are written with the date and time separators of the user's locale (LANG, LC_ALL)
where the Paradox driver reads them, "/" and ":" otherwise.
Exit status: 0 when every statement succeeded (and, with --verify, every row was verified
identical), 1 when a statement failed, a row differed or an error was reported, 2 when the
run could not start (wrong arguments, unreadable password file, missing database or
folder).)";

struct Options {
    QString source, target, password, passwordFile, sqlFile, typesFile, executeFile, rejectsFile;
    bool passwordGiven = false;
    OverwritePolicy overwrite = OverwritePolicy::Ask;
    bool newFolder = false;
    bool list = false;
    bool verify = false;
    bool replaceUnmappable = false;
    bool keepBinary = false;
    int jet3CodePage = 0;
};

[[noreturn]] void fail(const QString& text) {
    std::cerr << "velmora-convert: " << text.toStdString() << std::endl;
    std::exit(2);
}

Options parse(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addHelpOption();
    const QCommandLineOption password(
        "password",
        "Database password of SOURCE. Visible to every user of this computer (ps); prefer "
        "--password-file or the prompt.",
        "TEXT");
    const QCommandLineOption passwordFile(
        "password-file",
        "Read the database password from the first line of FILE (- for standard input).", "FILE");
    const QCommandLineOption overwrite(
        "overwrite", "Answer to \"Would you like to overwrite ...?\": ask (default), yes or no.",
        "ask|yes|no", "ask");
    const QCommandLineOption sql(
        "sql", "Collect the statements (one file preview) and write them to FILE; execute nothing.",
        "FILE");
    const QCommandLineOption types("types", "Write the type-mapping records to FILE.", "FILE");
    const QCommandLineOption execute(
        "execute", "Execute the statement file FILE against TARGET_FOLDER.", "FILE");
    const QCommandLineOption newFolder(
        "new-folder", "Accept a new or empty TARGET_FOLDER (created when missing).");
    const QCommandLineOption list(
        "list",
        "List the tables of SOURCE (an Access file or a Paradox folder) with their row counts.");
    const QCommandLineOption unmappable(
        "unmappable",
        "Rows whose text the table's code page cannot hold: refuse them (default, each "
        "reported) or replace the missing characters by a best-fit spelling or \"?\" "
        "(reported once per table).",
        "refuse|replace", "refuse");
    const QCommandLineOption keepBinary(
        "keep-binary",
        "Write the exact bytes of long binary (OLE Object) fields into BLOB columns instead "
        "of leaving them empty.");
    const QCommandLineOption jet3CodePage(
        "jet3-code-page",
        "The code page of the text in a Jet3 (Access 97) SOURCE, such as 1251 or 936; Jet3 "
        "files hold no reliable one (default: the one their header names).",
        "NUMBER", "0");
    const QCommandLineOption rejects(
        "rejects", "Write every statement the target refuses, with its error, to FILE.", "FILE");
    const QCommandLineOption verify(
        "verify", "Read every written table back and compare it with the source.");
    parser.addOptions({password, passwordFile, overwrite, sql, types, execute, newFolder, list,
                       unmappable, keepBinary, jet3CodePage, rejects, verify});
    // Every usage error, the parser's too, exits with status 2.
    if (!parser.parse(app.arguments())) fail(parser.errorText());
    parser.process(app);  // --help and --help-all

    Options o;
    const QStringList args = parser.positionalArguments();
    o.password = parser.value(password);
    o.passwordFile = parser.value(passwordFile);
    o.passwordGiven = parser.isSet(password) || parser.isSet(passwordFile);
    if (parser.isSet(password) && parser.isSet(passwordFile))
        fail("give either --password or --password-file, not both");
    o.sqlFile = parser.value(sql);
    o.typesFile = parser.value(types);
    o.executeFile = parser.value(execute);
    o.newFolder = parser.isSet(newFolder);
    o.list = parser.isSet(list);
    o.keepBinary = parser.isSet(keepBinary);
    bool number = false;
    o.jet3CodePage = parser.value(jet3CodePage).toInt(&number);
    if (!number || o.jet3CodePage < 0) fail("--jet3-code-page takes a code page number");
    const QString unmappableRows = parser.value(unmappable);
    if (unmappableRows == "replace")
        o.replaceUnmappable = true;
    else if (unmappableRows != "refuse")
        fail("--unmappable takes refuse or replace");
    o.rejectsFile = parser.value(rejects);
    o.verify = parser.isSet(verify);
    if (o.verify && !o.sqlFile.isEmpty())
        fail("--verify needs a run that writes the tables (no --sql)");
    const QString policy = parser.value(overwrite);
    if (policy == "yes")
        o.overwrite = OverwritePolicy::Yes;
    else if (policy == "no")
        o.overwrite = OverwritePolicy::No;
    else if (policy != "ask")
        fail("--overwrite takes ask, yes or no");

    if (o.list) {
        if (args.size() != 1) fail("--list takes exactly one SOURCE (see --help)");
        o.source = args[0];
    } else if (!o.executeFile.isEmpty()) {
        if (args.size() != 1) fail("--execute takes exactly one TARGET_FOLDER (see --help)");
        o.target = args[0];
    } else {
        if (args.size() != 2) fail("expected SOURCE and TARGET_FOLDER (see --help)");
        o.source = args[0];
        o.target = args[1];
    }
    // The program works with folder paths without a trailing separator.
    while (o.target.size() > 1 && o.target.endsWith(u'/')) o.target.chop(1);
    return o;
}

// The Paradox tables of a folder with their row counts.
int listParadoxFolder(const QString& folder) {
    try {
        db::Connection connection;
        OpenTargetConnection(connection, folder);
        QStringList names =
            QDir(folder).entryList({"*.db"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString& file : names) {
            const QString table = file.left(file.size() - 3);
            db::Recordset rows;
            rows.open(("SELECT * FROM " + QuoteIdentifier(table)).toStdString(), connection);
            std::cout << table.toStdString() << '\t' << rows.recordCount() << '\n';
        }
        return 0;
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }
}

int listTables(const Options& o) {
    if (QFileInfo(o.source).isDir()) return listParadoxFolder(o.source);
    FixedInputs inputs;
    inputs.sourceFile = o.source;
    inputs.sourcePassword = o.password;
    inputs.sourceCodePage = o.jet3CodePage;
    try {
        const auto names = GetSourceTables(o.source, inputs);
        if (!names) fail("Unable to access the database " + o.source);
        db::Connection connection;
        OpenSourceConnection(connection, inputs);
        for (const QString& name : *names) {
            db::Recordset rows;
            rows.open(("SELECT * FROM `" + name + u'`').toStdString(), connection);
            std::cout << name.toStdString() << '\t' << rows.recordCount() << '\n';
        }
        WipeText(inputs.sourcePassword);
        return 0;
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }
}

int executeFile(const Options& o, TerminalPrompts& prompts) {
    db::Connection target;
    try {
        OpenTargetConnection(target, o.target);
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }
    TerminalProgress progress;
    NoEventPump pump;
    Procedure proc(prompts, ui::preview::kExecuteClick);
    int count = 0;
    std::string failed;
    ExecutionOutcome outcome;
    try {
        outcome = ExecuteStatementFile(o.executeFile, target, proc, progress, pump, count, failed);
    } catch (const std::exception& e) {
        progress.setCaption(QString());
        fail(QString::fromUtf8(e.what()));
    }
    progress.setCaption(QString());
    if (outcome.stoppedBySqlError) {
        std::cerr << "\nError found.\nStatement " << outcome.errorLine << ": "
                  << ShownStatement(failed) << '\n'
                  << TerminalText(outcome.errorText).toStdString() << std::endl;
        return 1;
    }
    std::cout << count << " lines executed." << std::endl;
    return prompts.reports() == 0 ? 0 : 1;
}

// The password from --password-file or, when none was given and the database needs
// one, from a prompt at the terminal.
void obtainPassword(Options& o) {
    if (!o.passwordFile.isEmpty()) {
        KeepSecretsOutOfCoreDumps();
        try {
            o.password = ReadPasswordFile(o.passwordFile);
        } catch (const std::exception& e) {
            fail(QString::fromUtf8(e.what()));
        }
        return;
    }
    if (o.passwordGiven || o.source.isEmpty() || QFileInfo(o.source).isDir() ||
        !isatty(STDIN_FILENO) || !SourceNeedsPassword(o.source))
        return;
    KeepSecretsOutOfCoreDumps();
    if (auto typed = PromptForPassword("Password for " + QFileInfo(o.source).fileName() + ": "))
        o.password = *typed;
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

}  // namespace

int main(int argc, char** argv) {
    // A password on the command line is in this process's memory from the start.
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--password", 10) == 0) KeepSecretsOutOfCoreDumps();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("velmora-convert");
    Options o = parse(app);
    HidePasswordArgument(argc, argv);
    TerminalPrompts prompts(o.overwrite);
    if (!o.executeFile.isEmpty()) return executeFile(o, prompts);
    obtainPassword(o);
    if (o.list) {
        const int status = listTables(o);
        WipeText(o.password);
        return status;
    }

    if (!QFileInfo::exists(o.source)) fail("Unable to access the database " + o.source);
    if (o.newFolder && !QDir().mkpath(o.target)) fail("cannot create the folder " + o.target);

    FixedInputs inputs;
    inputs.targetFolder = o.target;
    inputs.sourceFile = o.source;
    inputs.sourcePassword = o.password;
    inputs.sourceCodePage = o.jet3CodePage;
    inputs.preview = !o.sqlFile.isEmpty();
    inputs.perFile = true;
    inputs.perTable = false;
    if (!o.newFolder && !FolderHasDbFiles(inputs))
        fail(o.target +
             " holds no Paradox table (.db) yet. Pick a folder that holds one, or "
             "add --new-folder to start a new folder.");

    RunState state;
    std::ofstream rejects;
    if (!o.rejectsFile.isEmpty()) {
        rejects.open(o.rejectsFile.toStdString(), std::ios::binary | std::ios::trunc);
        if (!rejects) fail("cannot write " + o.rejectsFile);
        state.onRefused = [&rejects](std::string_view statement, const QString& error) {
            rejects << "-- " << EscapeLine(error.toStdString()) << '\n'
                    << EscapeLine(statement) << '\n';
        };
    }
    TerminalProgress progress;
    NoPointer pointer;
    // A statement file holds every value, as private as the tables would be.
    StatementFilePreview preview(o.sqlFile, !o.sqlFile.isEmpty() && SourceNeedsPassword(o.source));
    NoEventPump pump;
    RunHost host{inputs, prompts, progress, pointer, preview, pump};
    RunOptions options;
    options.acceptFolderWithoutTables = o.newFolder;
    options.replaceUnmappable = o.replaceUnmappable;
    options.keepBinary = o.keepBinary;
    options.verify = o.verify;
    ConversionRun run(host, state, QLocale::system(), options);
    run.start();
    // The copy first, so that the last owner of the buffer overwrites it.
    WipeText(inputs.sourcePassword);
    WipeText(o.password);

    if (!o.typesFile.isEmpty()) {
        try {
            WriteTypeMappingFile(o.typesFile, state.typeMappings);
        } catch (const std::exception& e) {
            fail(QString::fromUtf8(e.what()));
        }
    }
    const RunStatistics& stats = run.statistics();
    const bool listed = !o.sqlFile.isEmpty();
    for (const TableStatistics& t : stats.tables) {
        std::cout << "  " << t.source.toStdString() << " -> " << t.target.toStdString() << ": ";
        if (!t.read) {
            std::cout << "not readable, nothing written\n";
            continue;
        }
        std::cout << t.rowsRead << " of " << t.rowsInSource << " rows read, " << t.rowsWritten
                  << (listed ? " listed" : " written") << ", " << t.rowsRefused << " refused, "
                  << t.rowsUnreadable << " unreadable\n";
    }
    std::cout << "Tables: " << stats.tablesProcessed << ", rows "
              << (listed ? "listed: " : "written: ") << stats.rowsDispatched
              << ", statements failed: " << state.statementsFailed
              << ", errors reported: " << prompts.reports() << std::endl;
    if (listed) {
        if (preview.written())
            std::cout << state.statements.count() << " statements written to "
                      << o.sqlFile.toStdString() << std::endl;
        else
            std::cerr << "velmora-convert: the statements were not written to "
                      << o.sqlFile.toStdString() << std::endl;
    }
    if (rejects.is_open()) {
        rejects.close();
        if (!rejects) fail("writing " + o.rejectsFile + " failed");
        if (state.statementsFailed > 0)
            std::cout << state.statementsFailed << " refused statements written to "
                      << o.rejectsFile.toStdString() << std::endl;
    }
    bool verified = true;
    if (o.verify) {
        if (stats.verified)
            std::cout << "Verification:\n"
                      << VerificationSummary(stats.verification).toStdString() << std::endl;
        else
            std::cerr << "velmora-convert: the tables could not be verified" << std::endl;
        verified = stats.verified;
        for (const TableVerification& t : stats.verification)
            verified = verified && t.allIdentical();
    }
    const bool written = !listed || preview.written();
    return state.statementsFailed == 0 && prompts.reports() == 0 && written && verified ? 0 : 1;
}
