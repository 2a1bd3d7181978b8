#pragma once
// The Paradox SQL driver behind "Driver={Microsoft Paradox Driver (*.db )};...": opens a
// folder of Paradox tables named by Dbq (or DefaultDir) and runs statements on it.

#include <memory>

#include "dataaccess/Provider.h"

namespace velmora::paradox {

std::unique_ptr<db::Provider> createDriver();

}  // namespace velmora::paradox
