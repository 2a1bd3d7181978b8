#pragma once
// The line format of statement files (the command line's --sql, --execute and --rejects
// files, and the rejects file the windows write beside the tables): UTF-8, one statement
// per line. Inside a statement a backslash is written "\\", a line feed "\n", a carriage
// return "\r", a tab "\t" and any other control character "\x" and two hex digits, so
// every line is exactly one statement and shows as text. Lines starting with "--" are
// comments.

#include <QString>
#include <ostream>
#include <string>
#include <string_view>

namespace velmora {

std::string EscapeLine(std::string_view text);
// Appends the escaped text to `line`.
void AppendEscaped(std::string_view text, std::string& line);
// Throws std::runtime_error naming the problem for a backslash followed by anything else.
std::string UnescapeLine(std::string_view line);

// A statement the target refused, after its error as a comment line, so that a rejects
// file can be fixed in an editor and executed again.
void WriteRefusedStatement(std::ostream& out, std::string_view statement, const QString& error);

}  // namespace velmora
