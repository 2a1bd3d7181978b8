#include "bench/MainWindowRuns.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/MainWindow.h"
#include "common/DesktopOpener.h"
#include "common/Helpers.h"
#include "preview/PreviewWindowHost.h"

namespace velmora::bench {

namespace {

struct NoOpener final : DesktopOpener {
    void open(const QString&) override {}
};

// The real SQL Preview window; the clock stops once it has been laid out and painted
// with its statements, and the window is closed unexecuted.
struct TimedPreview final : PreviewHost {
    QElapsedTimer& clock;
    WindowRun& run;
    WindowPreviewHost window;
    TimedPreview(QElapsedTimer& c, WindowRun& r, QWidget* owner)
        : clock(c), run(r), window(owner) {}
    void showPreview(RunState& state) override {
        run.statements = state.statements.count();
        QTimer::singleShot(0, [this] {
            QWidget* preview = QApplication::activeModalWidget();
            preview->grab();
            run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            preview->close();
        });
        window.showPreview(state);
    }
};

// Answers every message box with Yes (the folder offers to take new tables) or OK; the
// final message stops the clock unless the preview already did.
class BoxAnswerer {
  public:
    BoxAnswerer(QElapsedTimer& clock, WindowRun& run) {
        QObject::connect(&timer_, &QTimer::timeout, [this, &clock, &run] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == last_) return;
            last_ = box;
            if (box->text().startsWith(QStringLiteral("Done")) ||
                box->text().startsWith(QStringLiteral("Cancelled"))) {
                if (run.seconds == 0) run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
                run.finalMessage = box->text();
            }
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QAbstractButton* answer = yes ? yes : box->buttons().first();
            QTimer::singleShot(0, box, [answer] { answer->click(); });
        });
        timer_.start(1);
    }

  private:
    QTimer timer_;
    QPointer<QMessageBox> last_;
};

WindowRun runInWindow(const QString& accessFile, const QString& paradoxFolder, bool preview,
                      int cancelAt = -1) {
    WindowRun run;
    QElapsedTimer clock;
    NoOpener opener;
    MainWindow form(MainWindowServices{
        [&](QWidget* owner) { return std::make_unique<TimedPreview>(clock, run, owner); }, opener,
        ProgramFolder()});
    if (!form.load()) return run;
    form.findChild<QLineEdit*>(QStringLiteral("Text5"))->setText(accessFile);
    form.setParadoxFolder(paradoxFolder);
    auto* check = form.findChild<QCheckBox*>(QStringLiteral("Check1"));
    if (check->isChecked() != preview) check->click();
    if (preview) form.findChild<QRadioButton*>(QStringLiteral("Option1"))->click();
    form.show();
    QApplication::processEvents();
    BoxAnswerer answerer(clock, run);
    clock.start();
    if (cancelAt >= 0) {
        auto* bar = form.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        QObject::connect(bar, &QProgressBar::valueChanged, &form, [&](int value) {
            if (run.cancelled || value < cancelAt) return;
            run.cancelled = true;
            clock.restart();  // from the press on
            form.findChild<QPushButton*>(QStringLiteral("CancelRun"))->click();
        });
    }
    form.startConverting();
    return run;
}

}  // namespace

WindowRun ConvertInWindow(const QString& accessFile, const QString& paradoxFolder) {
    return runInWindow(accessFile, paradoxFolder, false);
}

WindowRun CancelInWindow(const QString& accessFile, const QString& paradoxFolder, int percent) {
    return runInWindow(accessFile, paradoxFolder, false, percent);
}

WindowRun BuildPerFilePreviewInWindow(const QString& accessFile, const QString& paradoxFolder) {
    return runInWindow(accessFile, paradoxFolder, true);
}

}  // namespace velmora::bench
