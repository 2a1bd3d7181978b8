#pragma once
// What a table's indexes are, and whether they find every row: read-only, beside any
// writer.

#include <cstdint>
#include <string>
#include <vector>

#include "paradox/TableFiles.h"

namespace velmora::paradox {

struct IndexDescription {
    std::string name;  // the table's name for its primary index
    bool primary = false;
    bool maintained = true;
    bool caseInsensitive = false;
    bool descending = false;
    std::vector<std::string> fields;  // in key order
};

// The primary index (when keyed) and every secondary index, in file name order.
std::vector<IndexDescription> describeIndexes(const TableFiles& table);

struct IndexCheck {
    std::string name;
    std::int64_t rows = 0;     // rows of the table
    std::int64_t found = 0;    // rows found through the index
    std::string firstMissing;  // the first row not found (its key), or what else is wrong
    bool complete() const { return found == rows && firstMissing.empty(); }
};

// Looks every row of the table up through the index named `name`: the primary index must
// lead to the row, a secondary index must hold the row's entry with the number of the
// block that holds it (and no other entries). Throws when there is no such index.
IndexCheck checkIndex(const TableFiles& table, const std::string& name);

}  // namespace velmora::paradox
