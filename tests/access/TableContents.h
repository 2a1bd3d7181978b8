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
    std::map<std::int64_t, std::vector<db::Value>> rows;  // by place (rowNumber)
    std::vector<db::LostRows> lost;
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

// Equal values, floating-point ones bit for bit (so NaN equals itself).
bool sameValues(const std::vector<db::Value>& a, const std::vector<db::Value>& b);

std::vector<char> contentsOf(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::vector<char>& bytes);

}  // namespace velmora::access::testing
