#include "dataaccess/ConnectionString.h"

#include <algorithm>
#include <cctype>

namespace velmora::db {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::size_t findNoCase(std::string_view haystack, std::string_view needle) {
    auto it = std::search(
        haystack.begin(), haystack.end(), needle.begin(), needle.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
    return it == haystack.end() ? std::string_view::npos
                                : static_cast<std::size_t>(it - haystack.begin());
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::string unbrace(std::string_view value) {
    if (value.size() >= 2 && value.front() == '{' && value.back() == '}')
        return std::string(value.substr(1, value.size() - 2));
    return std::string(value);
}

}  // namespace

ConnectionString ConnectionString::parse(std::string_view text) {
    ConnectionString result;
    std::string_view head = text;
    std::optional<std::string> password;

    const std::string clause = std::string(kPasswordKey) + "=";
    std::size_t at = 0;
    for (;;) {  // the clause counts only where a key can start
        const std::size_t found = findNoCase(text.substr(at), clause);
        if (found == std::string_view::npos) {
            at = std::string_view::npos;
            break;
        }
        at += found;
        if (at == 0 || text[at - 1] == ';') break;
        ++at;
    }
    if (at != std::string_view::npos) {
        head = text.substr(0, at);
        password = std::string(text.substr(at + clause.size()));
    }

    std::size_t start = 0;
    while (start < head.size()) {
        std::size_t end = head.find(';', start);
        if (end == std::string_view::npos) end = head.size();
        std::string_view segment = head.substr(start, end - start);
        // Braced ODBC values may hold ';'.
        const std::size_t eq = segment.find('=');
        if (eq != std::string_view::npos && segment.size() > eq + 1 && segment[eq + 1] == '{' &&
            segment.back() != '}') {
            const std::size_t close = head.find('}', start + eq);
            if (close != std::string_view::npos) {
                end = head.find(';', close);
                if (end == std::string_view::npos) end = head.size();
                segment = head.substr(start, end - start);
            }
        }
        if (eq == std::string_view::npos) {
            if (!result.entries_.empty() && !trim(segment).empty())
                result.entries_.back().second += ";" + std::string(segment);
        } else {
            result.entries_.emplace_back(std::string(trim(segment.substr(0, eq))),
                                         unbrace(segment.substr(eq + 1)));
        }
        start = end + 1;
    }
    if (password) result.entries_.emplace_back(std::string(kPasswordKey), *password);
    return result;
}

std::optional<std::string> ConnectionString::get(std::string_view key) const {
    for (const auto& [k, v] : entries_)
        if (equalsNoCase(k, key)) return v;
    return std::nullopt;
}

}  // namespace velmora::db
