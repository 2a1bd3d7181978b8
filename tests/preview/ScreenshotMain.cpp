// preview_screenshot OUTPUT.png: converts the sample database with SQL Preview per file,
// executes the statements in the real window, and saves a picture of the window as it
// shows the sample's failing line, for the README. Run it under a real X server (Xvfb).

#include <QApplication>
#include <QPushButton>
#include <QtTest>
#include <cstdio>

#include "common/Helpers.h"
#include "drivers/BuiltInDrivers.h"
#include "engine/ConversionRun.h"
#include "gui/MessagePrompts.h"
#include "gui/WindowSupport.h"
#include "preview/PreviewWindowHost.h"
#include "tests/preview/ModalHandler.h"
#include "tests/support/ScratchTargetFolder.h"
#include "tests/support/TestHosts.h"

using namespace velmora;
using velmora::test::NoBusyPointer;
using velmora::test::SilentProgress;

int main(int argc, char** argv) {
    velmora::RegisterBuiltInDrivers();
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
    inputs.targetFolder = folder.dir.path();
    inputs.sourceFile = QStringLiteral(VELMORA_SOURCE_DIR "/Samples/sample.mdb");
    inputs.preview = true;
    inputs.perFile = true;
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
