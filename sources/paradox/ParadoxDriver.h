#pragma once
// The Paradox SQL driver behind "Driver={Microsoft Paradox Driver (*.db )};...".

#include <memory>

#include "dataaccess/Provider.h"

namespace velmora::paradox {

std::unique_ptr<db::Provider> createDriver();

}  // namespace velmora::paradox
