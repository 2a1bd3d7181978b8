#pragma once
// The statements the driver runs:
//   CREATE TABLE t (column type [(n [, m])], ...)
//   CREATE INDEX i ON t (column, ...) WITH PRIMARY
//   DROP TABLE t
//   INSERT INTO t [(column, ...)] VALUES (literal, ...)
//   DELETE FROM t
//   SELECT * FROM t    SELECT COUNT(*) FROM t
// Keywords ignore case; names are bare or quoted ("...", `...`, [...]); a ";" may end
// the statement. Syntax errors throw, naming the position.

#include <string_view>

#include "paradox/SqlStatement.h"

namespace velmora::paradox::sql {

void parseStatement(std::string_view text, Statement& out);

}  // namespace velmora::paradox::sql
