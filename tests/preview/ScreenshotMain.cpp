// preview_screenshot OUTPUT.png: converts the sample database with SQL Preview per file,
// executes the statements in the real window, and saves a picture of the window as it
// shows the sample's failing line, for the README. Run it under a real X server (Xvfb).

#include <QApplication>
#include <QPushButton>
#include <QtTest>
#include <cstdio>

#include "ConversionRun.h"
#include "Helpers.h"
#include "MessagePrompts.h"
#include "ModalHandler.h"
#include "PreviewWindowHost.h"
#include "TargetFolder.h"
#include "WindowSupport.h"

using namespace velmora;

namespace {
struct SilentProgress final : ProgressSink {
    void setValue(double) override {}
    void setCaption(const QString&) override {}
};
struct NoBusyPointer final : BusyPointer {
    void setBusy(bool) override {}
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: preview_screenshot OUTPUT.png\n");
        return 2;
    }
    SetShortTitle();
    test::TargetFolder folder;
    db::Connection seed;
    if (const std::string problem = folder.open(seed); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    seed.execute("CREATE TABLE \"Seed\"(\"TVXID\" INT)");

    FixedInputs inputs;
    inputs.text1 = folder.dir.path();
    inputs.text5 = QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb");
    inputs.check1 = true;
    inputs.option1 = true;
    MessagePrompts prompts;
    SilentProgress progress;
    NoBusyPointer pointer;
    WindowPreviewHost preview(nullptr);
    QtEventPump pump;
    RunHost host{inputs, prompts, progress, pointer, preview, pump};
    RunState state;

    test::ModalHandler modals;
    bool saved = false;
    modals.then([&](QWidget* window) {
        window->findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
        QTest::qWait(300);  // let the window repaint after "Error found."
        saved = window->grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
        window->findChild<QPushButton*>(QStringLiteral("PushButton5"))->click();
    });
    ConversionRun(host, state).start();
    if (!saved) std::fprintf(stderr, "the preview window was not shown or not saved\n");
    return saved ? 0 : 1;
}
