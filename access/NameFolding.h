#pragma once
// Case-insensitive handling of object names, as Access treats them: names compare
// after lower-casing every character (full Unicode case mapping, not only ASCII).

#include <string>
#include <string_view>

namespace velmora::access {

// The name's code points, lower-cased.
std::u32string foldName(std::string_view utf8);

bool sameName(std::string_view a, std::string_view b);

// Orders names without regard to case; names equal that way fall back to code point
// order, so the order is total and stable.
bool nameLess(std::string_view a, std::string_view b);

}  // namespace velmora::access
