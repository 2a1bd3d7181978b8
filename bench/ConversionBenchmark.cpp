// The conversion figures, all measured in one run on the 1,000,000-row benchmark table
// (the machine is shared, so only ratios of one run mean something):
//  - velmora-convert's direct, --verify and --sql runs against mdb-export -I postgres of
//    the same table, and --sql's peak memory;
//  - velmora-convert --keys access (keyed on the Access primary key, AUTOINC) against the
//    default row-number keys;
//  - the main window's direct conversion (driven offscreen) against velmora-convert --verify;
//  - the main window's per-file SQL Preview of the table's statements, built and shown;
//  - the verification pass and the statement list's memory against its text;
//  - velmora-convert --batch on the whole Access corpus (bench/BatchRuns.h);
//  - paradox_insert_bench writing 5,000,000 rows (rows per second, peak memory).
//
// Every timed run prints its CPU use and the cores other programs kept busy meanwhile; the
// ratios are medians of ROUNDS interleaved rounds (3 unless given), and a warning says when
// other programs left a run less CPU than it could use.
//
//   conversion_benchmark [CORPUS_DIR] [ROWS_TO_WRITE] [ROUNDS]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "bench/BatchRuns.h"
#include "bench/MainWindowRuns.h"
#include "bench/support/ChildProcess.h"
#include "bench/support/MachineLoad.h"
#include "drivers/BuiltInDrivers.h"
#include "engine/ConversionRun.h"
#include "engine/SourceConnection.h"
#include "engine/TargetNames.h"
#include "engine/Verification.h"

using namespace velmora;
using velmora::bench::ChildRun;
using velmora::bench::RunChild;

namespace {

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

bool verified(const QString& mdb, const QString& target, const QString& table, double seconds) {
    FixedInputs source;
    source.sourceFile = mdb;
    db::Connection access, paradox;
    access.open(SourceConnectionString({}, {}, source).toStdString());
    OpenTargetConnection(paradox, target);
    QElapsedTimer timer;
    timer.start();
    const auto results = VerifyTables({{table, table}}, access, paradox);
    const double verifySeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("verification:             %.2f s (%.2f of the conversion's time); %s\n",
                verifySeconds, verifySeconds / seconds,
                VerificationSummary(results).toStdString().c_str());
    return results.size() == 1 && results[0].allIdentical();
}

// The per-file preview's statement list, collected headless, against its UTF-8 text.
void measureStatementList(const QString& mdb, const QString& folder) {
    FixedInputs inputs;
    inputs.targetFolder = folder;
    QDir().mkpath(folder);
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
    ConversionRun(host, state, QLocale::system(), RunOptions{.acceptFolderWithoutTables = true})
        .start();
    std::printf(
        "statement list (headless): %d in %.2f s; %.1f MB for %.1f MB of UTF-8 (ratio %.2f, "
        "target <= 1.5)\n",
        preview.count, static_cast<double>(timer.nsecsElapsed()) / 1e9,
        static_cast<double>(preview.memory) / 1048576.0,
        static_cast<double>(preview.text) / 1048576.0,
        preview.text ? static_cast<double>(preview.memory) / static_cast<double>(preview.text)
                     : 0.0);
}

struct TimedWindowRun {
    bench::WindowRun run;
    bench::CpuShare share;  // over the whole call, the window's building included
};

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TimedWindowRun timedWindowRun(const QString& mdb, const QString& folder) {
    TimedWindowRun timed;
    const double busyBefore = bench::MachineBusySeconds();
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    timed.run = bench::ConvertInWindow(mdb, folder);
    timed.share.seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    timed.share.cpuSeconds = processCpuSeconds() - cpuBefore;
    bench::SetOtherCores(timed.share, busyBefore, bench::MachineBusySeconds());
    // The press-to-message time is the run's; the share is of the whole call.
    return timed;
}

std::string shareText(const bench::CpuShare& share) {
    char text[96];
    std::snprintf(text, sizeof text, "%.2f s (CPU %.0f %%, others %.2f cores)", share.seconds,
                  share.utilisation() * 100.0, share.otherCores);
    return text;
}

// A run that other programs left fewer cores than it could use (`wanted`, up to the
// machine's), with a tenth of a core's margin for the system's own work.
bool starved(const bench::CpuShare& share, int wanted) {
    const double available = bench::MachineCores() - share.otherCores;
    return available < std::min(wanted, bench::MachineCores()) - 0.1;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string listed(const std::vector<double>& values) {
    std::string text = "rounds:";
    char number[32];
    for (double value : values) {
        std::snprintf(number, sizeof number, " %.3f", value);
        text += number;
    }
    return text;
}

void printFile(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) std::printf("  %s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    velmora::RegisterBuiltInDrivers();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString corpus = argc > 1 ? argv[1] : QStringLiteral(VELMORA_CORPUS_DEFAULT);
    const long rowsToWrite = argc > 2 ? std::atol(argv[2]) : 5'000'000;
    const int rounds = std::max(argc > 3 ? std::atoi(argv[3]) : 3, 1);
    const QString packed = corpus + "/access/generated/bench_1m_v2003.mdb.xz";
    if (!QFile::exists(packed)) {
        std::cerr << "benchmark database not found: " << packed.toStdString() << "\n";
        return 1;
    }
    QTemporaryDir work;
    // The window reads and writes its settings in the work folder, not the user's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.filePath("config"));
    qputenv("HOME", QFile::encodeName(work.filePath("home")));
    QDir().mkpath(work.filePath("home"));
    // The corpus's compressed databases, unpacked for the batch too.
    const QString unpacked = work.filePath("unpacked");
    QDir().mkpath(unpacked);
    const QString mdb = unpacked + "/bench_1m_v2003.mdb";
    for (const char* name : {"bench_1m_v2003.mdb", "alltypes_200k_v2000.mdb"}) {
        const QString from = corpus + "/access/generated/" + name + ".xz";
        const QString to = unpacked + u'/' + name;
        if (std::system(("xz -dc '" + from + "' > '" + to + "'").toLocal8Bit().constData()) != 0)
            return 1;
    }
    const QString bin = QCoreApplication::applicationDirPath();
    const QString table = QStringLiteral("Bench");

    // Rounds of interleaved runs: each ratio is taken within one round, where both runs met
    // about the same machine, and the median of the rounds is printed.
    std::vector<double> direct, verify, windowOverVerify, accessKeysOverDefault;
    long sqlPeakKb = 0;
    bool busy = false;
    bool ok = true;
    double lastCliSeconds = 0, lastWindowSeconds = 0;  // the runs whose tables are verified
    const QString cliTarget = work.filePath("cli");
    const QString windowTarget = work.filePath("window");
    std::printf("%d interleaved rounds; wall time (CPU use, cores other programs kept busy):\n",
                rounds);
    for (int round = 1; round <= rounds; ++round) {
        for (const QString& folder : {cliTarget, windowTarget, work.filePath("cli-verify"),
                                      work.filePath("cli-sql"), work.filePath("access-keys")})
            QDir(folder).removeRecursively();
        const ChildRun exported =
            RunChild({"mdb-export", "-I", "postgres", mdb.toStdString(), "Bench"});
        const ChildRun cli =
            RunChild({(bin + "/velmora-convert").toStdString(), "--new-folder", "--overwrite",
                      "yes", mdb.toStdString(), cliTarget.toStdString()});
        const ChildRun accessKeys = RunChild(
            {(bin + "/velmora-convert").toStdString(), "--new-folder", "--overwrite", "yes",
             "--keys", "access", mdb.toStdString(), work.filePath("access-keys").toStdString()});
        // The window reads every table back after writing it; --verify does the same.
        const ChildRun cliVerify = RunChild(
            {(bin + "/velmora-convert").toStdString(), "--new-folder", "--overwrite", "yes",
             "--verify", mdb.toStdString(), work.filePath("cli-verify").toStdString()});
        const QString sqlFile = work.filePath("statements.sql");
        const ChildRun cliSql =
            RunChild({(bin + "/velmora-convert").toStdString(), "--sql", sqlFile.toStdString(),
                      "--new-folder", mdb.toStdString(), work.filePath("cli-sql").toStdString()});
        QFile::remove(sqlFile);
        QDir().mkpath(windowTarget);
        const TimedWindowRun window = timedWindowRun(mdb, windowTarget);

        std::printf("round %d: mdb-export -I postgres %s\n", round, shareText(exported).c_str());
        std::printf("         velmora-convert direct  %s, exit %d, peak %.1f MB\n",
                    shareText(cli).c_str(), cli.exitCode, static_cast<double>(cli.peakKb) / 1024.0);
        std::printf("         velmora-convert --keys access %s, exit %d\n",
                    shareText(accessKeys).c_str(), accessKeys.exitCode);
        std::printf("         velmora-convert --verify %s, exit %d\n", shareText(cliVerify).c_str(),
                    cliVerify.exitCode);
        std::printf("         velmora-convert --sql   %s, exit %d, peak %.1f MB\n",
                    shareText(cliSql).c_str(), cliSql.exitCode,
                    static_cast<double>(cliSql.peakKb) / 1024.0);
        std::printf("         window (direct, verifies) %s; \"%s\"\n",
                    shareText(window.share).c_str(),
                    window.run.finalMessage.left(40).toUtf8().constData());
        direct.push_back(cli.seconds / exported.seconds);
        verify.push_back(cliVerify.seconds / exported.seconds);
        accessKeysOverDefault.push_back(accessKeys.seconds / cli.seconds);
        windowOverVerify.push_back(window.run.seconds / cliVerify.seconds);
        sqlPeakKb = std::max(sqlPeakKb, cliSql.peakKb);
        lastCliSeconds = cli.seconds;
        lastWindowSeconds = window.run.seconds;
        // mdb-export uses one core; the conversion two (reading and writing overlap).
        busy = busy || starved(exported, 1) || starved(cli, 2) || starved(accessKeys, 2) ||
               starved(cliVerify, 2) || starved(window.share, 2);
        ok = ok && cli.exitCode == 0 && accessKeys.exitCode == 0 && cliVerify.exitCode == 0 &&
             cliSql.exitCode == 0 && window.run.finalMessage == QStringLiteral("Done.");
    }
    std::printf("median ratio direct / mdb-export:   %.3f (%s; target <= 0.20)\n", median(direct),
                listed(direct).c_str());
    std::printf("median ratio --verify / mdb-export: %.3f (%s; target <= 0.28)\n", median(verify),
                listed(verify).c_str());
    std::printf("median ratio --keys access / default: %.3f (%s; target <= 1.5)\n",
                median(accessKeysOverDefault), listed(accessKeysOverDefault).c_str());
    std::printf("median ratio window / --verify:     %.3f (%s; target <= 1.2; the same work)\n",
                median(windowOverVerify), listed(windowOverVerify).c_str());
    std::printf("--sql peak memory: %.1f MB at most (target < 60 MB)\n",
                static_cast<double>(sqlPeakKb) / 1024.0);
    if (busy)
        std::printf(
            "WARNING: the machine was busy: other programs left some run less CPU than it could "
            "use (%d cores), so its wall times, and the ratios, are not the quiet machine's.\n",
            bench::MachineCores());

    // Over the table the last round wrote: cancelled half way, it must stay whole.
    const bench::WindowRun cancelled = bench::CancelInWindow(mdb, windowTarget, 50);
    const QString previewTarget = work.filePath("preview");
    QDir().mkpath(previewTarget);
    const bench::WindowRun preview = bench::BuildPerFilePreviewInWindow(mdb, previewTarget);
    std::printf(
        "window Cancel at 50%% of the rows: final message %.3f s after the press "
        "(target <= 0.5 s); \"%s\"\n",
        cancelled.seconds, cancelled.finalMessage.left(40).toUtf8().constData());
    std::printf(
        "window per-file preview:  %d statements built and shown in %.2f s (target <= 2 s)\n",
        preview.statements, preview.seconds);
    ok = ok && preview.statements == 1'000'002;
    ok = verified(mdb, cliTarget, table, lastCliSeconds) && ok;
    ok = verified(mdb, windowTarget, table, lastWindowSeconds) && ok;  // whole after the cancel
    ok = ok && cancelled.finalMessage.startsWith(QStringLiteral("Cancelled"));
    measureStatementList(mdb, work.filePath("list"));
    ok = bench::MeasureBatches(corpus, unpacked, work.filePath("batch"), bin) && ok;

    if (rowsToWrite > 0) {
        const std::string report = work.filePath("write.txt").toStdString();
        const ChildRun write =
            RunChild({(bin + "/paradox_insert_bench").toStdString(), std::to_string(rowsToWrite),
                      work.filePath("write").toStdString()},
                     report.c_str());
        std::printf("paradox_insert_bench %ld rows: exit %d\n", rowsToWrite, write.exitCode);
        printFile(report);
        ok = ok && write.exitCode == 0;
    }
    return ok ? 0 : 1;
}
