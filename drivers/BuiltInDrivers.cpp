#include "drivers/BuiltInDrivers.h"

#include "paradox/ParadoxDriver.h"

namespace velmora {

void RegisterBuiltInDrivers() {
    paradox::registerDriver();
}

}  // namespace velmora
