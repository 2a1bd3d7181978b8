#pragma once
// The statement file of the command-line converter: UTF-8, one statement per line.
// Inside a statement a backslash is written "\\", a line feed "\n", a carriage
// return "\r" and a tab "\t", so every line is exactly one statement.

#include <QString>
#include <string>
#include <string_view>

#include "engine/StatementList.h"
#include "engine/TypeMappingList.h"

namespace velmora {

std::string EscapeLine(std::string_view text);
// Throws std::runtime_error naming the problem for a backslash followed by anything else.
std::string UnescapeLine(std::string_view line);

// With `ownerOnly` (statements holding data from a protected source) the file is made
// readable by its owner only.
void WriteStatementFile(const QString& path, const StatementList& statements,
                        bool ownerOnly = false);
void ReadStatementFile(const QString& path, StatementList& statements);
// Four tab-separated columns per record, escaped as above.
void WriteTypeMappingFile(const QString& path, const TypeMappingList& mappings);

}  // namespace velmora
