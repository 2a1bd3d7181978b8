#pragma once
// The one statement the provider runs: SELECT * FROM `table name`. Keywords are matched
// without regard to case and may be separated by any white space; the name is taken
// verbatim from between the grave accents (it may hold spaces, quotes and brackets;
// Access names cannot hold a grave accent). A trailing ';' is allowed.

#include <optional>
#include <string>
#include <string_view>

namespace velmora::access {

// The table name, or nothing when the statement has another form.
std::optional<std::string> selectAllTableName(std::string_view statement);

}  // namespace velmora::access
