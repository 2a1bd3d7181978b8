#pragma once
// DROP TABLE: removes the table's .db and every other file of its family. The files are
// checked first (writable, not locked), so a refused statement removes nothing.

#include <filesystem>
#include <string>

namespace velmora::paradox {

void dropTable(const std::filesystem::path& folder, const std::string& name);

}  // namespace velmora::paradox
