// The main window's tests, run on Qt's offscreen platform.

#include <QApplication>

#include "drivers/BuiltInDrivers.h"
#include "tests/mainwindow/TestGroups.h"

int main(int argc, char** argv) {
    velmora::RegisterBuiltInDrivers();
    QApplication app(argc, argv);
    return velmora::test::RunTestGroups(argc, argv);
}
