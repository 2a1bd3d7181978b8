#pragma once
// The SQL text of saved queries, rebuilt from the pieces Access keeps in MSysQueries: one
// row per piece, its kind in Attribute (1 the query's type, 2 a parameter, 3 the select
// flags, 4 a remote database, 5 a table, 6 a column, 7 a join, 8 WHERE, 9 GROUP BY, 10
// HAVING, 11 ORDER BY). Select, make-table, update, delete and union queries are rebuilt
// and data-definition and pass-through ones are kept whole; an append or crosstab query,
// or one with a piece this rebuild does not know, has no text.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "access/AccessDatabase.h"

namespace velmora::access {

struct QueryPiece {
    int attribute = 0;
    std::string expression;
    std::string name1;
    std::string name2;
    std::optional<int> flag;
    std::optional<int> extra;
};

// The query's SQL text from its pieces (in the table's order), or empty.
std::string QueryText(const std::vector<QueryPiece>& pieces);

// The rebuilt text of every saved query that has one, by the query's object id.
std::map<std::int64_t, std::string> SavedQueryTexts(std::shared_ptr<const AccessDatabase> database);

}  // namespace velmora::access
