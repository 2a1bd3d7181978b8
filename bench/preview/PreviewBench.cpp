// The SQL Preview window with a million statements of the 7-column benchmark row:
// showing the window, Find and Replace over all, Copy SQL of all checked lines, the
// list's memory against the statements' UTF-8 size, and Execute SQL against the same
// statements executed straight through the driver. Prints each figure.

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>

#include "drivers/BuiltInDrivers.h"
#include "engine/RunState.h"
#include "engine/TargetNames.h"
#include "preview/FindReplaceDialog.h"
#include "preview/PreviewWindow.h"

using namespace velmora;

namespace {

constexpr int kStatements = 1'000'000;

// Closes every message box at once and hands any other modal window to `onDialog`.
class Answerer {
  public:
    std::function<void(QWidget*)> onDialog;
    Answerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == last_) return;
            last_ = modal;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                QTimer::singleShot(0, box, [box] { box->buttons().first()->click(); });
            } else if (onDialog) {
                QTimer::singleShot(0, modal, [this, modal] { onDialog(modal); });
            }
        });
        timer_.start(1);
    }

  private:
    QTimer timer_;
    QPointer<QWidget> last_;
};

QString BenchRow(int key) {
    return QStringLiteral(
               "INSERT INTO \"Bench\" VALUES(%1,'Customer name number %2 of the list',%3,"
               "%4,%5,'03/05/2021 14:05:09',%6)")
        .arg(key)
        .arg(key, 7, 10, QLatin1Char('0'))
        .arg(key % 100000)
        .arg(key * 0.25, 0, 'f', 2)
        .arg((key % 10000) * 0.01, 0, 'f', 2)
        .arg(key % 2);
}

const char* kCreate =
    "CREATE TABLE \"Bench\"(\"TVXID\" INT,\"Name\" TEXT(40),\"Qty\" INT,\"Ratio\" FLOAT,"
    "\"Price\" CURRENCY,\"Stamp\" TIMESTAMP,\"Flag\" BIT)";
const char* kIndex = "CREATE INDEX \"Bench\" ON \"Bench\" (\"TVXID\") with primary";

double Seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// A fresh keyed table in a fresh folder; the reason when the driver cannot do it.
QString FreshTarget(db::Connection& connection, const QString& folder) {
    try {
        if (connection.isOpen()) connection.close();
        connection.open(TargetConnectionString(folder).toStdString());
        connection.execute(kCreate);
        connection.execute(kIndex);
        return {};
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

// Wall time is at the mercy of whoever else uses the machine; the process's CPU time
// counts only the work done for these statements (the window's included).
class Stopwatch {
  public:
    Stopwatch() { restart(); }
    void restart() {
        wall_.start();
        cpuStart_ = cpuNow();
    }
    Timing read() const { return {Seconds(wall_), cpuNow() - cpuStart_}; }

  private:
    static double cpuNow() {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
    }
    QElapsedTimer wall_;
    double cpuStart_ = 0;
};

// "1.234 s (1.100 s CPU)"
QString Figure(const Timing& t) {
    return QStringLiteral("%1 s (%2 s CPU)").arg(t.wall, 0, 'f', 3).arg(t.cpu, 0, 'f', 3);
}

// Runs Execute SQL in the window on a fresh table; no value when the driver cannot.
std::optional<Timing> ExecuteInWindow(RunState& state) {
    QTemporaryDir folder;
    state.targetConnection = std::make_unique<db::Connection>();
    const QString problem = FreshTarget(*state.targetConnection, folder.path());
    if (!problem.isEmpty()) {
        std::printf("execute sql:           not measured, the target driver says: %s\n",
                    problem.toUtf8().constData());
        return std::nullopt;
    }
    state.previewExecuted = false;
    PreviewWindow form(state, nullptr);
    form.show();
    QApplication::processEvents();
    const Stopwatch watch;
    form.executeSql();
    const Timing timing = watch.read();
    state.targetConnection.reset();
    if (!state.previewExecuted) {
        std::printf("execute sql:           the window stopped at line %d\n", form.errorLine);
        return std::nullopt;
    }
    return timing;
}

std::optional<Timing> ExecuteDirectly(const StatementList& statements) {
    QTemporaryDir folder;
    db::Connection connection;
    if (!FreshTarget(connection, folder.path()).isEmpty()) return std::nullopt;
    const Stopwatch watch;
    for (int i = 0; i < statements.count(); ++i) {
        try {
            connection.execute(statements.utf8(i));
        } catch (const std::exception& e) {
            std::printf("execute sql:           the driver refused line %d: %s\n", i + 1, e.what());
            return std::nullopt;
        }
    }
    return watch.read();
}

// Both ways twice, alternating, each keeping its best time.
void CompareExecution(RunState& state) {
    Timing window{1e9, 1e9}, direct{1e9, 1e9};
    for (int round = 0; round < 2; ++round) {
        const auto d = ExecuteDirectly(state.statements);
        const auto w = ExecuteInWindow(state);
        if (!d || !w) return;
        direct = {std::min(direct.wall, d->wall), std::min(direct.cpu, d->cpu)};
        window = {std::min(window.wall, w->wall), std::min(window.cpu, w->cpu)};
    }
    std::printf(
        "execute sql:           window %.2f s (%.2f s CPU), straight through the driver "
        "%.2f s (%.2f s CPU)\n",
        window.wall, window.cpu, direct.wall, direct.cpu);
    std::printf("execute sql ratio:     %.3f by CPU time, %.3f by wall time (target at most 1.2)\n",
                window.cpu / direct.cpu, window.wall / direct.wall);
}

}  // namespace

int main(int argc, char** argv) {
    velmora::RegisterBuiltInDrivers();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RunState state;

    QElapsedTimer t;
    t.start();
    for (int key = 0; key < kStatements; ++key) state.statements.append(BenchRow(key));
    std::printf("statements:            %d, %.2f s to build the list\n", kStatements, Seconds(t));
    std::printf(
        "list memory:           %.1f MB for %.1f MB of UTF-8 text, ratio %.3f (target "
        "at most 1.5)\n",
        state.statements.memoryBytes() / 1e6, state.statements.textBytes() / 1e6,
        static_cast<double>(state.statements.memoryBytes()) /
            static_cast<double>(state.statements.textBytes()));

    Answerer answerer;
    {
        Stopwatch watch;
        PreviewWindow form(state, nullptr);
        form.show();
        QApplication::processEvents();
        form.grab();  // lays out the list and paints every control once
        std::printf("show window:           %s (target under 1 s)\n",
                    Figure(watch.read()).toUtf8().constData());

        answerer.onDialog = [&watch](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))
                ->setText(QStringLiteral("'03/05/2021 14:05:09'"));
            dialog->findChild<QLineEdit*>(QStringLiteral("Text2"))
                ->setText(QStringLiteral("'04/05/2021 09:30:00'"));
            watch.restart();
            dialog->findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();
        };
        form.findAndReplace();
        std::printf("find and replace:      %s over %d statements, %s (target under 2 s)\n",
                    Figure(watch.read()).toUtf8().constData(), kStatements,
                    state.statements.text(kStatements - 1).contains(u"04/05/2021")
                        ? "all replaced"
                        : "NOT replaced");

        for (int i = 0; i < kStatements; ++i) state.statements.setChecked(i, true);
        watch.restart();
        form.copySql();
        std::printf(
            "copy sql:              %s for %d checked lines, %.1f MB of text "
            "(target under 2 s)\n",
            Figure(watch.read()).toUtf8().constData(), kStatements,
            QGuiApplication::clipboard()->text().size() * 2 / 1e6);
        for (int i = 0; i < kStatements; ++i) state.statements.setChecked(i, false);
    }
    CompareExecution(state);
    return 0;
}
