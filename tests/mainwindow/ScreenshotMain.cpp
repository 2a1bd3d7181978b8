// mainwindow_screenshot OUTPUT.png: shows the main window with the samples' paths as a
// user who copied them into a folder of the home folder would see them (not the build
// folder the program runs from) and saves a picture of it, for the README. Run it under
// a real X server (Xvfb); the settings and home folder are temporary, so the user's own
// entries stay untouched.

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
    if (argc != 2) {
        std::fprintf(stderr, "usage: mainwindow_screenshot OUTPUT.png\n");
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
    return form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
