#pragma once
// Finding tables without the catalogue, for a file whose catalogue is damaged: every page
// that begins a table definition is read as one, and the tables Access keeps for itself
// are told by their columns, which are the same in every file.

#include <cstdint>
#include <vector>

#include "access/PageFile.h"
#include "access/TableDefinition.h"
#include "access/TextDecoder.h"

namespace velmora::access {

// The pages that begin a table definition (a definition page that no other one continues
// on), in page order.
std::vector<std::uint32_t> tableDefinitionPages(const PageFile& file);

// True for the tables that Access makes for itself (MSysACEs, MSysQueries, the tables
// holding the values of complex columns...), known by their columns.
bool isSystemTable(const TableDefinition& table);

}  // namespace velmora::access
