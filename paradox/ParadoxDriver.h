#pragma once
// The Paradox SQL driver behind "Driver={Microsoft Paradox Driver (*.db )};...": opens a
// folder of Paradox tables named by Dbq (or DefaultDir) and runs statements on it.
// "OwnerOnly=1" creates the tables readable and writable by their owner only (0600), for
// data that came from a protected source; otherwise new tables follow the umask.

#include <memory>

#include "dataaccess/Provider.h"

namespace velmora::paradox {

std::unique_ptr<db::Provider> createDriver();

// Makes the driver serve connection strings whose Driver names Paradox (idempotent).
void registerDriver();

}  // namespace velmora::paradox
