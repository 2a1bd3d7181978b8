// A protected database through the converter: its password from a file, standard input or
// a prompt at a terminal, never shown; the tables it fills private to their owner; and a
// process that holds its secrets out of core dumps while it converts.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <functional>

#include "dataaccess/Connection.h"
#include "engine/ConversionRun.h"
#include "engine/RunReports.h"
#include "engine/TargetNames.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestHosts.h"

using namespace velmora;

namespace {

// Agile-encrypted (SHA-1, AES-128), one table of one row; its password appears in no
// message of its own.
constexpr const char* kEncrypted = "jackcessencrypt/src/test/data/db2007-enc.accdb";
constexpr const char* kPassword = "Test123";
constexpr const char* kWrong = "Wr0ngSecret7";
const QString kConverter = QStringLiteral(VELMORA_BIN_DIR "/velmora-convert");

QString corpusPath(const char* relative) {
    return QString::fromStdString((test::corpusFolder() / "access" / relative).string());
}

unsigned modeOf(const QString& path) {
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

struct Outcome {
    int exitCode = -1;
    QByteArray output;       // standard output and error, or the terminal's transcript
    QByteArray commandLine;  // as `ps` showed it while a table was being converted
};

Outcome runWithStdin(const QStringList& args, const QByteArray& input) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(kConverter, args);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAll(), {}};
}

// Runs the converter on a pseudo-terminal, types `typed` once the prompt shows, and
// returns everything the terminal displayed.
Outcome runOnTerminal(const QStringList& args, const QByteArray& typed) {
    std::vector<QByteArray> owned{QFile::encodeName(kConverter)};
    for (const QString& a : args) owned.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : owned) argv.push_back(a.data());
    argv.push_back(nullptr);

    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    Outcome outcome;
    if (pid < 0) return outcome;
    bool sent = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char buffer[4096];
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) break;  // EIO once the converter has closed the terminal
        outcome.output.append(buffer, got);
        if (outcome.commandLine.isEmpty() && outcome.output.contains("Processing table")) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
            if (cmdline.open(QIODevice::ReadOnly)) outcome.commandLine = cmdline.readAll();
        }
        if (!sent && outcome.output.contains("Password for ")) {
            (void)!write(master, typed.constData(), static_cast<std::size_t>(typed.size()));
            sent = true;
        }
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

}  // namespace

// Each way of giving the password, right and wrong: the right one converts, the wrong one
// is reported and writes nothing, and neither is ever displayed.
TEST(ProtectedSource, PasswordFromFileStandardInputAndPrompt) {
    const QString source = corpusPath(kEncrypted);
    VELMORA_NEED_CORPUS(QFile::exists(source), source.toStdString());
    QTemporaryDir work;
    const QString passwordFile = work.filePath("secret"), wrongFile = work.filePath("wrong");
    QFile right(passwordFile), wrong(wrongFile);
    ASSERT_TRUE(right.open(QIODevice::WriteOnly) && wrong.open(QIODevice::WriteOnly));
    right.write(QByteArray(kPassword) + "\r\n");  // CR LF removed like LF
    wrong.write(QByteArray(kWrong) + "\n");
    right.close(), wrong.close();

    struct Case {
        const char* name;
        bool correct;
        std::function<Outcome(const QString& target)> run;
    };
    const auto args = [&](const QString& target, QStringList extra) {
        return extra << "--new-folder" << source << target;
    };
    const std::vector<Case> cases = {
        {"file", true,
         [&](const QString& t) {
             return runWithStdin(args(t, {"--password-file", passwordFile}), {});
         }},
        {"wrong file", false,
         [&](const QString& t) {
             return runWithStdin(args(t, {"--password-file", wrongFile}), {});
         }},
        {"stdin", true,
         [&](const QString& t) {
             return runWithStdin(args(t, {"--password-file", "-"}), QByteArray(kPassword) + "\n");
         }},
        {"wrong stdin", false,
         [&](const QString& t) {
             return runWithStdin(args(t, {"--password-file", "-"}), QByteArray(kWrong) + "\n");
         }},
        {"prompt", true,
         [&](const QString& t) {
             return runOnTerminal(args(t, {}), QByteArray(kPassword) + "\n");
         }},
        {"wrong prompt", false,
         [&](const QString& t) { return runOnTerminal(args(t, {}), QByteArray(kWrong) + "\n"); }},
        // Shown by ps only until it has been read.
        {"command line", true,
         [&](const QString& t) {
             return runOnTerminal(args(t, {"--password", kPassword}), {});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = work.filePath(QString::fromLatin1(c.name).replace(' ', '-'));
        const Outcome outcome = c.run(target);
        EXPECT_FALSE(outcome.output.contains(kPassword)) << outcome.output.toStdString();
        EXPECT_FALSE(outcome.output.contains(kWrong)) << outcome.output.toStdString();
        EXPECT_FALSE(outcome.commandLine.contains(kPassword));
        if (QString(c.name).contains("prompt")) {
            EXPECT_TRUE(outcome.output.contains("Password for db2007-enc.accdb: "));
        }
        if (QString(c.name) == "command line") {
            EXPECT_TRUE(outcome.commandLine.contains("--password")) << "not seen while running";
        }
        if (c.correct) {
            EXPECT_EQ(outcome.exitCode, 0) << outcome.output.toStdString();
            EXPECT_FALSE(QDir(target).isEmpty());
        } else {  // one message, exit 2, and not even the new folder is made
            EXPECT_EQ(outcome.exitCode, 2);
            EXPECT_EQ(outcome.output.count("cannot be opened: Not a valid password."), 1)
                << outcome.output.toStdString();
            EXPECT_FALSE(outcome.output.contains("Done")) << outcome.output.toStdString();
            EXPECT_FALSE(QFileInfo::exists(target));
        }
    }
    // Without a terminal there is no prompt: one error says a password is needed, before
    // anything is written.
    const Outcome none = runWithStdin(args(work.filePath("none"), {}), QByteArray(kPassword));
    EXPECT_FALSE(none.output.contains("Password for"));
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(none.output.contains("needs a password: give it with --password-file"))
        << none.output.toStdString();
    EXPECT_FALSE(QFile::exists(work.filePath("none")));
}

// Tables, their index and blob files, the statement, rejects and types files and the report
// log written from a protected source are the owner's only; the folder keeps its mode;
// other tables follow the umask.
TEST(ProtectedSource, WrittenFilesAreTheOwnersOnly) {
    QTemporaryDir work;
    const mode_t saved = umask(002);
    for (const bool ownerOnly : {true, false}) {
        SCOPED_TRACE(ownerOnly ? "owner only" : "umask 002");
        const QString folder = work.filePath(ownerOnly ? "private" : "shared");
        ASSERT_TRUE(QDir().mkpath(folder));
        db::Connection target;
        OpenTargetConnection(target, folder, ownerOnly);
        target.execute("CREATE TABLE \"T\" (\"K\" INTEGER, \"M\" MEMO)");
        target.execute("INSERT INTO \"T\" VALUES (1, 'a memo')");
        target.execute("CREATE INDEX \"PK\" ON \"T\" (\"K\") WITH PRIMARY");
        target.close();
        const QStringList files = QDir(folder).entryList(QDir::Files);
        EXPECT_EQ(files, QStringList({"T.db", "T.mb", "T.px"}));
        for (const QString& file : files)
            EXPECT_EQ(modeOf(folder + u'/' + file), ownerOnly ? 0600u : 0664u)
                << file.toStdString();
    }
    umask(saved);

    const QString source = corpusPath(kEncrypted);
    VELMORA_NEED_CORPUS(QFile::exists(source), source.toStdString());
    const QString folder = work.filePath("converted"), sql = work.filePath("statements.sql");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther);
    const QByteArray password = QByteArray(kPassword) + "\n";
    const QString rejects = work.filePath("rejects.sql"), types = work.filePath("types.tsv");
    EXPECT_EQ(runWithStdin({"--password-file", "-", "--rejects", rejects, "--types", types,
                            "--new-folder", source, folder},
                           password)
                  .exitCode,
              0);
    EXPECT_EQ(modeOf(rejects), 0600u);
    EXPECT_EQ(modeOf(types), 0600u);
    EXPECT_EQ(runWithStdin({"--password-file", "-", "--sql", sql, "--new-folder", source,
                            work.filePath("preview")},
                           password)
                  .exitCode,
              0);
    EXPECT_EQ(modeOf(folder), 0755u);
    const QStringList files = QDir(folder).entryList(QDir::Files);
    EXPECT_FALSE(files.isEmpty());
    for (const QString& file : files) EXPECT_EQ(modeOf(folder + u'/' + file), 0600u);
    EXPECT_EQ(modeOf(sql), 0600u);

    // The log of the reports a window run did not show (refused rows), from an encrypted
    // source.
    struct QuietPrompts final : test::RecordingPrompts {
        bool errorReportOfferingQuiet(const QString& text) override {
            reports << text;
            return true;  // show no further reports
        }
    };
    const QString agile = corpusPath("generated/enc_agile_pw-password_alltypes_20k_v2010.accdb");
    VELMORA_NEED_CORPUS(QFile::exists(agile), agile.toStdString());
    const QString logged = work.filePath("logged");
    test::Harness h;
    QuietPrompts prompts;
    h.inputs.sourceFile = agile;
    h.inputs.sourcePassword = QStringLiteral("password");
    h.inputs.targetFolder = logged;
    RunHost host{h.inputs, prompts, h.progress, h.pointer, h.preview, h.pump};
    ConversionRun(host, h.state, QLocale::c(), RunOptions{.acceptFolderWithoutTables = true})
        .start();
    const QString log = logged + u'/' + QString::fromLatin1(kReportLogName);
    ASSERT_TRUE(QFileInfo::exists(log)) << prompts.messages.join('|').toStdString();
    EXPECT_EQ(modeOf(log), 0600u);
}

namespace {

// Notes whether the process may dump core each time the run names the table it works on.
struct DumpableProbe final : ProgressSink {
    std::vector<int> seen;
    void setValue(double) override {}
    void setCaption(const QString& text) override {
        if (text.startsWith("Please wait")) seen.push_back(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0));
    }
};

// The exit status of the child: 0 when the unprotected conversion ran dumpable and the
// encrypted one did not, a code for the first thing that went otherwise.
int convertAndWatchDumpable() {
    if (prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) != 1) return 2;
    QTemporaryDir work;
    const auto convert = [&](const QString& source, const QString& password,
                             const QString& folder) {
        test::Harness h;
        DumpableProbe probe;
        h.inputs.sourceFile = source;
        h.inputs.sourcePassword = password;
        h.inputs.targetFolder = folder;
        RunHost host{h.inputs, h.prompts, probe, h.pointer, h.preview, h.pump};
        QDir().mkpath(folder);
        ConversionRun(host, h.state, QLocale::c(), RunOptions{.acceptFolderWithoutTables = true})
            .start();
        return probe.seen;
    };
    const auto plain =
        convert(QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb"), {}, work.filePath("a"));
    if (plain.empty() || plain != std::vector<int>(plain.size(), 1)) return 3;
    const auto encrypted =
        convert(corpusPath(kEncrypted), QString::fromLatin1(kPassword), work.filePath("b"));
    if (encrypted.empty() || encrypted != std::vector<int>(encrypted.size(), 0)) return 4;
    return QDir(work.filePath("b")).isEmpty() ? 5 : 0;
}

}  // namespace

// In a fresh process (a death-test child): converting without a password leaves the
// process dumpable, converting an encrypted file makes it non-dumpable while it works.
TEST(ProtectedSource, ProcessIsNotDumpableWhileConvertingAnEncryptedFile) {
    VELMORA_NEED_CORPUS(QFile::exists(corpusPath(kEncrypted)), kEncrypted);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(convertAndWatchDumpable()), ::testing::ExitedWithCode(0), "");
}
