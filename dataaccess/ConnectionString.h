#pragma once
// Parsed "key=value;..." connection strings. Keys compare without regard to case.
// The Access password clause "Jet OLEDB:Database Password=" takes everything after
// it to the end, so a password holding ';' or '=' is kept whole and cannot add keys.
// A segment without '=' belongs to the value before it (a path holding ';').
// A value may be quoted: between double quotes, apostrophes or ODBC braces, with the
// closing character doubled inside; so any path can be given.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::db {

class ConnectionString {
  public:
    static ConnectionString parse(std::string_view text);

    std::optional<std::string> get(std::string_view key) const;
    std::string value(std::string_view key) const { return get(key).value_or(std::string()); }
    bool has(std::string_view key) const { return get(key).has_value(); }
    const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }

    // `value` as a connection string carries it: unchanged when it holds none of
    // ; = { } " ', otherwise quoted with `open` ('"' or '{').
    static std::string quote(std::string_view value, char open = '"');

  private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

inline constexpr std::string_view kPasswordKey = "Jet OLEDB:Database Password";

}  // namespace velmora::db
