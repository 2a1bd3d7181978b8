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

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

}  // namespace

ConnectionString ConnectionString::parse(std::string_view text) {
    ConnectionString result;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t semicolon = std::min(text.find(';', at), text.size());
        const std::size_t eq = text.find('=', at);
        if (eq == std::string_view::npos || eq > semicolon) {
            // A segment without '=' belongs to the value before it (a path holding ';').
            const std::string_view segment = text.substr(at, semicolon - at);
            if (!result.entries_.empty() && !trim(segment).empty())
                result.entries_.back().second += ";" + std::string(segment);
            at = semicolon + 1;
            continue;
        }
        const std::string key(trim(text.substr(at, eq - at)));
        if (equalsNoCase(key, kPasswordKey)) {  // runs to the end
            result.entries_.emplace_back(std::string(kPasswordKey),
                                         std::string(text.substr(eq + 1)));
            break;
        }
        const std::size_t i = eq + 1;
        const char open = i < text.size() ? text[i] : '\0';
        const char close = open == '{' ? '}' : open;
        std::string value;
        bool quoted = false;
        if (open == '"' || open == '\'' || open == '{') {
            // A quoted value: the closing character is written twice inside it, and the
            // value ends where the closing character is followed by ';' or the end.
            std::string inner;
            std::size_t j = i + 1;
            for (; j < text.size(); ++j) {
                if (text[j] != close) {
                    inner += text[j];
                } else if (j + 1 < text.size() && text[j + 1] == close) {
                    inner += close;
                    ++j;
                } else {
                    break;
                }
            }
            std::size_t after = j + 1;
            while (after < text.size() && text[after] == ' ') ++after;
            if (j < text.size() && (after >= text.size() || text[after] == ';')) {
                value = std::move(inner);
                at = after + 1;
                quoted = true;
            }
        }
        if (!quoted) {
            value = std::string(text.substr(eq + 1, semicolon - eq - 1));
            at = semicolon + 1;
        }
        result.entries_.emplace_back(key, std::move(value));
    }
    return result;
}

std::string ConnectionString::quote(std::string_view value, char open) {
    if (value.find_first_of(";={}\"'") == std::string_view::npos) return std::string(value);
    const char close = open == '{' ? '}' : open;
    std::string quoted(1, open);
    for (const char c : value) {
        quoted += c;
        if (c == close) quoted += c;
    }
    quoted += close;
    return quoted;
}

std::optional<std::string> ConnectionString::get(std::string_view key) const {
    for (const auto& [k, v] : entries_)
        if (equalsNoCase(k, key)) return v;
    return std::nullopt;
}

}  // namespace velmora::db
