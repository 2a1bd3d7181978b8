#pragma once
// Calculated columns (Access 2010 and later) store their result in a wrapper whose
// stored column type says nothing about the result; the result's type is the column's
// "ResultType" property.

#include <cstdint>
#include <vector>

#include "access/PageFile.h"
#include "access/TableDefinition.h"
namespace velmora::access {

// Sets `valueType` of every calculated column of `table` from the table's property blob
// (`propertiesField`: the raw LvProp field of its catalogue entry; may be empty).
void applyCalculatedResultTypes(const PageFile& file,
                                const std::vector<std::uint8_t>& propertiesField,
                                TableDefinition& table);

}  // namespace velmora::access
