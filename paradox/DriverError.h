#pragma once
// Every rejected statement surfaces as a db::DbError whose description starts with
// "[Paradox Driver] SQLException: ", which the SQL Preview window keys on.

#include <string>
#include <string_view>

namespace velmora::paradox {

[[noreturn]] void fail(const std::string& message);
// With the number of a fault that ends the table (db::errc::kTargetLocked and the like).
[[noreturn]] void fail(long number, const std::string& message);
// A syntax error names the 1-based character position of the offending token.
[[noreturn]] void failSyntax(std::string_view statement, std::size_t offset,
                             const std::string& message);
// An operating system failure while working on `what` (for example `table "T"`).
[[noreturn]] void failSystem(const std::string& action, int errorNumber);

// `name` between double quotes, as messages show names.
std::string inQuotes(std::string_view name);
// The statement text around `offset`, for "near ..." hints.
std::string excerpt(std::string_view statement, std::size_t offset);

}  // namespace velmora::paradox
