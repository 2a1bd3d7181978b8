#pragma once
// What a source could not read of itself. A damaged source still gives every row it can
// read; these say, once, what it could not, so the caller can report it and count it.

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::db {

// Rows of a table that the source holds but cannot deliver (a page that cannot be read, a
// row that cannot be decoded exactly). The delivered rows keep their places around them:
// the rows after a loss of 10 rows are numbered 10 further on.
struct LostRows {
    std::int64_t first = 0;  // place of the first lost row among all the table's rows, from 0
    std::int64_t count = 0;  // rows lost, when countKnown
    bool countKnown = true;  // false: an unknown number of rows from `first` on
    std::int64_t pagesMissing = 0;  // pages of this loss that lie past the end of the file
    std::string reason;             // "data page 2119 lies past the end of the file"
    // Rows of these places whose data survives on the pages Access had moved them to, with
    // their places lost: given after the table's last row. The places of the loss run from
    // `first` to `first + count + movedRowsFound - 1`.
    std::int64_t movedRowsFound = 0;
};

// Columns of a table whose values the source cannot read in any row (a calculated
// column whose result type is lost with its properties). The rows arrive without them,
// every other value exact; nothing stands in for the values left out.
struct LostColumns {
    std::vector<std::string> names;  // as the source names them
    std::string reason;              // "their result types cannot be read (...)"
};

// Damage beyond single tables: the list of tables itself.
struct SourceDamage {
    // Why the catalogue of tables could not be read whole; empty when it could.
    std::string catalogue;
    // Tables that were found from their own definitions instead, as the source lists them.
    std::vector<std::string> recoveredTables;
};

}  // namespace velmora::db
