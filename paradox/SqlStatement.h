#pragma once
// A parsed statement. Names and literals are views into the statement text, so parsing
// allocates nothing once the vectors have grown.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::paradox::sql {

enum class StatementKind {
    CreateTable,
    CreateIndex,
    DropTable,
    AddForeignKey,
    Insert,
    DeleteAll,
    SelectAll,
    SelectCount
};

struct Name {
    std::string_view raw;   // as written between its quotes, a doubled closing quote still doubled
    char closingQuote = 0;  // '"', '`', ']' or 0 for a bare name
    std::size_t offset = 0;
    std::string text() const;
};

enum class LiteralKind { Null, Number, Text, Boolean, Hex };

struct Literal {
    LiteralKind kind = LiteralKind::Null;
    bool negative = false;  // a minus sign before a number
    bool truth = false;     // TRUE or FALSE
    std::string_view raw;   // number text without its sign; text with '' still doubled; hex digits
    std::size_t offset = 0;
};

struct ColumnDefinition {
    Name name;
    Name type;  // the type word, bare
    int arguments[2] = {0, 0};
    int argumentCount = 0;
    std::size_t offset = 0;
    // Validity checks: NOT NULL, DEFAULT value, CHECK (column BETWEEN a AND b) and
    // CHECK (column >= a) / (column <= b).
    bool notNull = false;
    bool hasDefault = false, hasMinimum = false, hasMaximum = false;
    Literal defaultValue, minimum, maximum;
};

struct Statement {
    StatementKind kind = StatementKind::SelectAll;
    Name table;
    Name index;
    std::vector<Name> columns;  // INSERT column list or CREATE INDEX key columns
    std::vector<ColumnDefinition> definitions;
    std::vector<Literal> values;
    bool primary = false;
    // ALTER TABLE table ADD [CONSTRAINT index] FOREIGN KEY (columns) REFERENCES
    // parent (parentColumns) [ON UPDATE CASCADE | RESTRICT | NO ACTION]
    Name parent;
    std::vector<Name> parentColumns;
    bool cascadeUpdates = true;     // Paradox's own default
    std::int64_t expectedRows = 0;  // CREATE TABLE ... ROWS n; 0 when not given
    int codePage = 0;               // CREATE TABLE ... CODEPAGE n; 0 when not given
};

// Appends the text of a quoted text literal, with doubled apostrophes made single.
void appendTextLiteral(std::string_view raw, std::string& out);

}  // namespace velmora::paradox::sql
