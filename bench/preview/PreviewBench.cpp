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
#include <functional>

#include "Form2.h"
#include "Form3.h"
#include "RunState.h"
#include "TargetNames.h"

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

void CompareExecution(RunState& state) {
    QTemporaryDir viaWindow, direct;
    // The Paradox folder must already hold a table, as for a run; the driver creates it here.
    state.Paradox_conn = std::make_unique<db::Connection>();
    const QString problem = FreshTarget(*state.Paradox_conn, viaWindow.path());
    if (!problem.isEmpty()) {
        std::printf("execute sql:           not measured, the target driver says: %s\n",
                    problem.toUtf8().constData());
        return;
    }
    Answerer answerer;
    Form2 form(state, nullptr);
    form.show();
    QElapsedTimer t;
    t.start();
    form.PushButton1_Click();
    const double windowSeconds = Seconds(t);
    const bool ran = state.SQLFormOK;

    db::Connection connection;
    const QString again = FreshTarget(connection, direct.path());
    if (!again.isEmpty()) return;
    t.restart();
    std::int64_t failed = 0;
    for (int i = 0; i < state.statements.count(); ++i) {
        try {
            connection.execute(state.statements.utf8(i));
        } catch (const std::exception&) {
            ++failed;
        }
    }
    const double directSeconds = Seconds(t);
    std::printf(
        "execute sql:           %.2f s in the window (%s), %.2f s straight through the "
        "driver (%lld failed)\n",
        windowSeconds, ran ? "ran to the end" : "stopped", directSeconds,
        static_cast<long long>(failed));
    std::printf("execute sql ratio:     %.3f (target at most 1.2)\n",
                windowSeconds / directSeconds);
}

}  // namespace

int main(int argc, char** argv) {
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
        t.restart();
        Form2 form(state, nullptr);
        form.show();
        QApplication::processEvents();
        form.grab();  // lays out the list and paints every control once
        std::printf("show window:           %.3f s (target under 1 s)\n", Seconds(t));

        QElapsedTimer pass;
        answerer.onDialog = [&pass](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))
                ->setText(QStringLiteral("'03/05/2021 14:05:09'"));
            dialog->findChild<QLineEdit*>(QStringLiteral("Text2"))
                ->setText(QStringLiteral("'04/05/2021 09:30:00'"));
            pass.start();
            dialog->findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();
        };
        form.PushButton3_Click();
        std::printf("find and replace:      %.3f s over %d statements, %s (target under 2 s)\n",
                    Seconds(pass), kStatements,
                    state.statements.text(kStatements - 1).contains(u"04/05/2021")
                        ? "all replaced"
                        : "NOT replaced");

        for (int i = 0; i < kStatements; ++i) state.statements.setChecked(i, true);
        t.restart();
        form.PushButton2_Click();
        std::printf(
            "copy sql:              %.3f s for %d checked lines, %.1f MB of text "
            "(target under 2 s)\n",
            Seconds(t), kStatements, QGuiApplication::clipboard()->text().size() * 2 / 1e6);
        for (int i = 0; i < kStatements; ++i) state.statements.setChecked(i, false);
    }
    CompareExecution(state);
    return 0;
}
