// mainwindow_screenshot OUTPUT.png [OPTIONS.png]: shows the main window with the samples' paths as
// a user who copied them into a folder of the home folder would see them (not the build folder the
// program runs from) and saves a picture of it, for the README. Run it under a real X server
// (Xvfb); the settings and home folder are temporary, so the user's own entries stay untouched.
// With a second path it saves the Options dialog there too.

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cstdio>

#include "drivers/BuiltInDrivers.h"
#include "tests/mainwindow/FormFixture.h"

int main(int argc, char** argv) {
    velmora::RegisterBuiltInDrivers();
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: mainwindow_screenshot OUTPUT.png [OPTIONS.png]\n");
        return 2;
    }
    velmora::test::FormFixture f;
    velmora::MainWindow& form = f.make();
    if (!form.load()) return 1;
    const QString samples = QStringLiteral("/home/user/Velmora/Samples");
    f.text("Text5")->setText(samples + QStringLiteral("/sample.mdb"));
    form.setParadoxFolder(samples);
    f.text("Text6")->setText(QStringLiteral("secret"));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    QTest::qWait(300);  // let the window manager settle and the window paint
    if (!form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) return 1;
    if (argc == 2) return 0;
    bool saved = false;
    f.answerer.then([&](QWidget* options) {
        saved = options->grab().save(QString::fromLocal8Bit(argv[2]), "PNG");
        options->close();
    });
    f.button("OptionsButton")->click();
    return saved ? 0 : 1;
}
