#pragma once
// The statements the driver runs:
//   CREATE TABLE t (column type [(n [, m])], ...) [CODEPAGE n] [ROWS n] [LEVEL 7]
//   CREATE INDEX i ON t (column, ...) WITH PRIMARY
//   CREATE [UNIQUE] [ASC | DESC] INDEX i ON t (column, ...) [CASE INSENSITIVE]
//                            (a secondary index; see paradox/SecondaryIndex.h)
//   DROP TABLE t
//   INSERT INTO t [(column, ...)] VALUES (literal, ...)
//   DELETE FROM t
//   SELECT * FROM t    SELECT COUNT(*) FROM t
//   SELECT * FROM t WHERE column = literal [AND column = literal ...]
//                            (every field of the primary key, found through the .px)
//   CHECK INDEX i ON t       (looks every row up through the index; one row of counts)
// Keywords ignore case; names are bare or quoted ("...", `...`, [...]); a ";" may end
// the statement. Syntax errors throw, naming the position.

#include <string_view>

#include "paradox/SqlStatement.h"

namespace velmora::paradox::sql {

void parseStatement(std::string_view text, Statement& out);
// Leaves `out` as a parse starts it: no names, lists or options.
void clearStatement(Statement& out);

}  // namespace velmora::paradox::sql
