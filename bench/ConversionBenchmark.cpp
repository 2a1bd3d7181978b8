// The conversion figures, all measured in one run on the 1,000,000-row benchmark table
// (the machine is shared, so only ratios of one run mean something):
//  - velmora-convert's direct conversion against mdb-export -I postgres of the same table;
//  - velmora-convert --keys access (keyed on the Access primary key, AUTOINC) against the
//    default row-number keys, the two runs back to back;
//  - the main window's direct conversion (driven offscreen) against velmora-convert;
//  - the main window's per-file SQL Preview of the table's statements, built and shown;
//  - the verification pass and the statement list's memory against its text;
//  - velmora-convert --batch on the whole Access corpus (bench/BatchRuns.h);
//  - paradox_insert_bench writing 5,000,000 rows (rows per second, peak memory).
//
//   conversion_benchmark [CORPUS_DIR] [ROWS_TO_WRITE]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "bench/BatchRuns.h"
#include "bench/MainWindowRuns.h"
#include "bench/support/ChildProcess.h"
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

    const ChildRun exported =
        RunChild({"mdb-export", "-I", "postgres", mdb.toStdString(), "Bench"});
    const QString cliTarget = work.filePath("cli");
    const ChildRun cli =
        RunChild({(bin + "/velmora-convert").toStdString(), "--new-folder", "--overwrite", "yes",
                  mdb.toStdString(), cliTarget.toStdString()});
    // The Access keys against the row number, measured back to back.
    const ChildRun rowNumberKeys =
        RunChild({(bin + "/velmora-convert").toStdString(), "--new-folder", "--overwrite", "yes",
                  mdb.toStdString(), work.filePath("rownumber").toStdString()});
    const ChildRun accessKeys =
        RunChild({(bin + "/velmora-convert").toStdString(), "--new-folder", "--overwrite", "yes",
                  "--keys", "access", mdb.toStdString(), work.filePath("access").toStdString()});
    // The window reads every table back after writing it; --verify does the same.
    const QString verifiedTarget = work.filePath("cli-verify");
    const ChildRun cliVerify =
        RunChild({(bin + "/velmora-convert").toStdString(), "--new-folder", "--overwrite", "yes",
                  "--verify", mdb.toStdString(), verifiedTarget.toStdString()});
    const QString windowTarget = work.filePath("window");
    QDir().mkpath(windowTarget);
    const bench::WindowRun window = bench::ConvertInWindow(mdb, windowTarget);
    // Over the table just written: cancelled half way, it must stay whole.
    const bench::WindowRun cancelled = bench::CancelInWindow(mdb, windowTarget, 50);
    const QString previewTarget = work.filePath("preview");
    QDir().mkpath(previewTarget);
    const bench::WindowRun preview = bench::BuildPerFilePreviewInWindow(mdb, previewTarget);

    std::printf("mdb-export -I postgres:   %.2f s\n", exported.seconds);
    std::printf("velmora-convert (direct): %.2f s, exit %d, peak memory %.1f MB, %.0f rows/s\n",
                cli.seconds, cli.exitCode, static_cast<double>(cli.peakKb) / 1024.0,
                1e6 / cli.seconds);
    std::printf("velmora-convert --verify: %.2f s, exit %d\n", cliVerify.seconds,
                cliVerify.exitCode);
    std::printf(
        "velmora-convert --keys access: %.2f s, exit %d; default keys just before: %.2f s\n",
        accessKeys.seconds, accessKeys.exitCode, rowNumberKeys.seconds);
    std::printf("window (direct, verifies): %.2f s; \"%s\"\n", window.seconds,
                window.finalMessage.left(40).toUtf8().constData());
    std::printf(
        "window Cancel at 50%% of the rows: final message %.3f s after the press "
        "(target <= 0.5 s); \"%s\"\n",
        cancelled.seconds, cancelled.finalMessage.left(40).toUtf8().constData());
    std::printf(
        "window per-file preview:  %d statements built and shown in %.2f s (target <= 2 s)\n",
        preview.statements, preview.seconds);
    std::printf("ratio command line / mdb-export: %.2f (target <= 0.35)\n",
                cli.seconds / exported.seconds);
    std::printf("ratio window / command line --verify: %.2f (target <= 1.2; the same work)\n",
                window.seconds / cliVerify.seconds);
    std::printf("ratio window / command line:     %.2f (the window also verifies)\n",
                window.seconds / cli.seconds);
    std::printf("ratio --keys access / default keys: %.2f (target <= 1.5)\n",
                accessKeys.seconds / rowNumberKeys.seconds);

    bool ok = cli.exitCode == 0 && cliVerify.exitCode == 0 && accessKeys.exitCode == 0 &&
              window.finalMessage == QStringLiteral("Done.") && preview.statements == 1'000'002;
    ok = verified(mdb, cliTarget, table, cli.seconds) && ok;
    ok = verified(mdb, windowTarget, table, window.seconds) && ok;  // whole after the cancel
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
