#pragma once
// The drivers built into the programs. Each program (and each test or benchmark program)
// registers them once at its start, before any connection opens; everything above reaches
// them only through connection strings and the data-access interface.

namespace velmora {

void RegisterBuiltInDrivers();

}  // namespace velmora
