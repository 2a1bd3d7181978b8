#include "access/Statement.h"

#include <cctype>

namespace velmora::access {

namespace {

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

void skipSpaces(std::string_view s, std::size_t& at) {
    while (at < s.size() && isSpace(s[at])) ++at;
}

// Matches `word` at `at` (any case) followed by a space or `next`; advances past it.
bool keyword(std::string_view s, std::size_t& at, std::string_view word, char next) {
    if (s.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(s[at + i])) != word[i]) return false;
    const std::size_t after = at + word.size();
    if (after < s.size() && !isSpace(s[after]) && s[after] != next) return false;
    at = after;
    return true;
}

}  // namespace

std::optional<std::string> selectAllTableName(std::string_view s) {
    std::size_t at = 0;
    skipSpaces(s, at);
    if (!keyword(s, at, "SELECT", '*')) return std::nullopt;
    skipSpaces(s, at);
    if (at >= s.size() || s[at] != '*') return std::nullopt;
    ++at;
    skipSpaces(s, at);
    if (!keyword(s, at, "FROM", '`')) return std::nullopt;
    skipSpaces(s, at);
    if (at >= s.size() || s[at] != '`') return std::nullopt;
    const std::size_t close = s.find('`', at + 1);
    if (close == std::string_view::npos || close == at + 1) return std::nullopt;
    std::string name(s.substr(at + 1, close - at - 1));
    at = close + 1;
    skipSpaces(s, at);
    if (at < s.size() && s[at] == ';') ++at;
    skipSpaces(s, at);
    if (at != s.size()) return std::nullopt;
    return name;
}

}  // namespace velmora::access
