// Converts the 1,000,000-row benchmark table with velmora-convert in direct mode and, in
// the same run, times mdb-export's SQL generation of the same table; prints both times,
// their ratio and the converter's peak memory, then times the verification pass over the
// converted table. Then collects the statements in memory
// (per-file preview mode) and prints the statement list's memory against their text.
//
//   conversion_benchmark [CORPUS_DIR]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>

#include "engine/ConversionRun.h"
#include "engine/SourceConnection.h"
#include "engine/TargetNames.h"
#include "engine/Verification.h"

extern char** environ;

using namespace velmora;

namespace {

struct ChildRun {
    double seconds = 0;
    long peakKb = 0;
    int status = -1;
};

ChildRun runChild(const std::vector<std::string>& args, const char* outputFile) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile,
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    ChildRun result;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::cerr << "cannot start " << args[0] << "\n";
        return result;
    }
    rusage usage{};
    wait4(pid, &result.status, 0, &usage);
    result.seconds = timer.nsecsElapsed() / 1e9;
    result.peakKb = usage.ru_maxrss;
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

struct CountingPrompts final : Prompts {
    int reports = 0;
    void message(const QString&, const QString&) override {}
    bool askYesNo(const QString&, const QString&) override { return false; }
    void errorReport(const QString&) override { ++reports; }
};
struct NullProgress final : ProgressSink {
    void setValue(double) override {}
    void setCaption(const QString&) override {}
};
struct NullPointer final : BusyPointer {
    void setBusy(bool) override {}
};
struct MeasuringPreview final : PreviewHost {
    std::size_t text = 0, memory = 0;
    int count = 0;
    void showPreview(RunState& s) override {
        text = s.statements.textBytes();
        memory = s.statements.memoryBytes();
        count = s.statements.count();
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString corpus = argc > 1 ? argv[1] : QStringLiteral(VELMORA_CORPUS_DEFAULT);
    const QString packed = corpus + "/access/generated/bench_1m_v2003.mdb.xz";
    if (!QFile::exists(packed)) {
        std::cerr << "benchmark database not found: " << packed.toStdString() << "\n";
        return 1;
    }
    QTemporaryDir work;
    const QString mdb = work.filePath("bench_1m_v2003.mdb");
    if (std::system(("xz -dc '" + packed + "' > '" + mdb + "'").toLocal8Bit().constData()) != 0)
        return 1;
    const QString converter = QCoreApplication::applicationDirPath() + "/velmora-convert";
    const QString target = work.filePath("paradox");

    const std::string table = "Bench";
    const ChildRun exported =
        runChild({"mdb-export", "-I", "postgres", mdb.toStdString(), table}, "/dev/null");
    const ChildRun converted = runChild({converter.toStdString(), "--new-folder", "--overwrite",
                                         "yes", mdb.toStdString(), target.toStdString()},
                                        "/dev/null");
    std::printf("mdb-export -I postgres: %.2f s\n", exported.seconds);
    std::printf("velmora-convert (direct): %.2f s, exit %d, peak memory %.1f MB\n",
                converted.seconds, WEXITSTATUS(converted.status), converted.peakKb / 1024.0);
    std::printf("ratio converter / mdb-export: %.2f (target <= 1.5)\n",
                converted.seconds / exported.seconds);
    std::printf("rows per second: %.0f\n", 1e6 / converted.seconds);

    // The verification pass over the converted table, against the conversion's time.
    double verifySeconds = 0;
    bool identical = false;
    {
        FixedInputs source;
        source.sourceFile = mdb;
        db::Connection access, paradox;
        access.open(SourceConnectionString({}, {}, source).toStdString());
        OpenTargetConnection(paradox, target);
        const QString name = QString::fromStdString(table);
        QElapsedTimer timer;
        timer.start();
        const auto results = VerifyTables({{name, name}}, access, paradox);
        verifySeconds = timer.nsecsElapsed() / 1e9;
        identical = results.size() == 1 && results[0].allIdentical();
        std::printf("verification: %.2f s (%.2f of the conversion's time, target < 1); %s\n",
                    verifySeconds, verifySeconds / converted.seconds,
                    VerificationSummary(results).toStdString().c_str());
    }

    // The statement list of a per-file preview, held in memory.
    FixedInputs inputs;
    inputs.targetFolder = work.filePath("preview");
    QDir().mkpath(inputs.targetFolder);
    inputs.sourceFile = mdb;
    inputs.preview = true;
    inputs.perFile = true;
    CountingPrompts prompts;
    NullProgress progress;
    NullPointer pointer;
    MeasuringPreview preview;
    NoEventPump pump;
    RunState state;
    RunHost host{inputs, prompts, progress, pointer, preview, pump};
    QElapsedTimer timer;
    timer.start();
    ConversionRun(host, state, QLocale::system(), RunOptions{true}).start();
    std::printf(
        "statements collected: %d in %.2f s; list memory %.1f MB for %.1f MB of UTF-8 (ratio %.2f, "
        "target <= 1.5)\n",
        preview.count, timer.nsecsElapsed() / 1e9, preview.memory / 1048576.0,
        preview.text / 1048576.0,
        preview.text ? static_cast<double>(preview.memory) / preview.text : 0.0);
    return prompts.reports == 0 && WEXITSTATUS(converted.status) == 0 && identical ? 0 : 1;
}
