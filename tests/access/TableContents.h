#pragma once
// A database read whole through the provider, for comparing a damaged copy with its
// original: each table's rows by their place, and what the provider said it lost.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "dataaccess/Damage.h"
#include "dataaccess/Value.h"

namespace velmora::access::testing {

struct TableContents {
    std::int64_t rowCount = 0;  // the record set's count: rows delivered and rows lost
    std::vector<std::string> columns;
    std::map<std::int64_t, std::vector<db::Value>> rows;  // by place (rowNumber)
    std::vector<db::LostRows> lost;
    db::LostColumns lostColumns;
    std::string error;  // set when the table could not be opened; nothing else is then
    std::int64_t lostCount() const;
    bool lostCountKnown() const;
};

struct DatabaseContents {
    std::map<std::string, TableContents> tables;  // the tables of type TABLE, by name
    db::SourceDamage damage;
};

// Throws db::DbError when the database cannot be opened.
DatabaseContents readDatabase(const std::filesystem::path& file);

// The values of `row`, a row of `table`, in the columns named `columns` (a damaged copy
// may leave some out); empty when `table` lacks one of them.
std::vector<db::Value> valuesIn(const TableContents& table, const std::vector<db::Value>& row,
                                const std::vector<std::string>& columns);

// Whether `row`, given at `place` by `damaged` (a damaged copy of `original`), is the
// original's: the row at the same place, or, past the original's last place (a moved row
// whose place was lost), one of its rows.
bool isOriginalRow(const TableContents& original, const TableContents& damaged, std::int64_t place,
                   const std::vector<db::Value>& row);

// Equal values, floating-point ones bit for bit (so NaN equals itself).
bool sameValues(const std::vector<db::Value>& a, const std::vector<db::Value>& b);

std::vector<char> contentsOf(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::vector<char>& bytes);

}  // namespace velmora::access::testing
