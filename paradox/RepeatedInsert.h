#pragma once
// A quick parse of the INSERT statements a conversion sends by the million. Each starts
// with the same bytes as the one before (INSERT INTO "t" VALUES(), so that start is
// compared rather than parsed again, and the values are read in one tight loop. What the
// loop does not read (a DATE keyword, a syntax error) is left to the full parse, which
// gives the same statement or the same error.

#include <cstddef>
#include <string>
#include <string_view>

#include "paradox/SqlStatement.h"

namespace velmora::paradox::sql {

class RepeatedInsert {
  public:
    // Remembers how `text` starts when the full parse read it (into `parsed`) as an INSERT
    // without a column list.
    void remember(std::string_view text, const Statement& parsed);
    // Parses `text` into `out` when it starts as the remembered INSERT did; false when it
    // does not, or holds anything the full parse must read (`out` is then unspecified).
    bool parse(std::string_view text, Statement& out) const;

  private:
    std::string start_;  // up to and including the "(" before the values
    std::size_t nameAt_ = 0;
    std::size_t nameLength_ = 0;
    std::size_t nameOffset_ = 0;  // the name's token, with its opening quote
    char closingQuote_ = 0;
};

}  // namespace velmora::paradox::sql
