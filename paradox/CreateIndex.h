#pragma once
// CREATE INDEX ... WITH PRIMARY: makes a table keyed on its first fields. The rows of a
// table that already has rows are sorted into new files, which replace the old ones only
// when everything was written; a duplicate key refuses the index and changes nothing.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "paradox/TableFiles.h"
#include "paradox/WritableTable.h"

namespace velmora::paradox {

// Returns the keyed table, still open for writing (and locked) from its creation on.
std::unique_ptr<WritableTable> createPrimaryIndex(const std::filesystem::path& folder,
                                                  const TableFiles& files,
                                                  const std::vector<std::string>& keyColumns);

}  // namespace velmora::paradox
