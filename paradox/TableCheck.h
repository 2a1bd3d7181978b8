#pragma once
// Verifies a table: the header agrees with the block chain, the chain links both ways,
// keyed tables hold their keys in strictly ascending order, and the primary index has one
// level 1 entry per data block (first key and record count) under a consistent tree and
// chain of index blocks. Memo and binary values must be readable.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::paradox {

// Each problem found, in words; empty for a sound table.
std::vector<std::string> checkTable(const std::filesystem::path& folder, const std::string& name);

}  // namespace velmora::paradox
