#pragma once
// DROP TABLE: removes the table's .db and every other file of its family, also what an
// unfinished rebuild left. Only a Paradox table is removed: a .db file whose header is not
// a table's (a text file, another program's database) is refused and left alone. The
// files are checked and locked first (regular files, writable, not locked), so a refused
// statement removes nothing.

#include <filesystem>
#include <string>

namespace velmora::paradox {

void dropTable(const std::filesystem::path& folder, const std::string& name);

}  // namespace velmora::paradox
