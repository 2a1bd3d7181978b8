#pragma once
// Table names and the files of a table: a name is a file name inside the folder and
// nothing else, and files are found without regard to the case of their names.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::paradox {

struct TableFiles {
    std::string name;  // without ".db"
    std::filesystem::path db;
    std::filesystem::path px;  // empty when there is no primary index file
    std::filesystem::path mb;  // empty when there is no blob file
    std::filesystem::path val;  // empty when there are no validity checks
};

// The table name of a statement: ".db" at the end is dropped. Throws when the name could
// reach outside the folder or cannot be a file name.
std::string checkedTableName(std::string_view name);
// Also checks what a new level 5 table can hold (79 header bytes, its code page).
void checkNewTableName(std::string_view name, int codePage = 1252);
// Paradox field name rules: 1 to 25 characters of the table's code page, no leading
// blank, none of [ ] { } ( ) " or "->", not "#" alone.
void checkFieldName(std::string_view name, int codePage = 1252);

// The table's files, or an empty db path when the folder holds no such table.
TableFiles locateTable(const std::filesystem::path& folder, const std::string& name);
// Appended to the name of a file that is being rebuilt; it replaces the file when complete.
inline constexpr std::string_view kUnfinishedSuffix = ".~new";

// Every file of the table's family (.db, .px, .mb, .val, .tv, .fam, .Xnn, .Ynn, .XGn, .YGn),
// and leftovers of unfinished rebuilds of them.
std::vector<std::filesystem::path> familyFiles(const std::filesystem::path& folder,
                                               const std::string& name);
// The names of all tables in the folder, for the schema listing.
std::vector<std::string> tableNames(const std::filesystem::path& folder);

bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace velmora::paradox
