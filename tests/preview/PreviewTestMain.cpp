// Window tests run on Qt's offscreen platform unless another one is asked for.
#include <gtest/gtest.h>
#include <QApplication>

#include "drivers/BuiltInDrivers.h"

int main(int argc, char** argv) {
    velmora::RegisterBuiltInDrivers();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
