// The main of the test programs: the drivers built into the programs are registered
// first, as the programs' own mains do.

#include <gtest/gtest.h>

#include "drivers/BuiltInDrivers.h"

int main(int argc, char** argv) {
    velmora::RegisterBuiltInDrivers();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
