#pragma once
// The values Jackcess read from a corpus database (expected-jackcess/*.jsonl): per
// table a header object, then one JSON array of strings or nulls per row.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

struct ExpectedTable {
    std::string name;
    std::int64_t rowCount = 0;
    std::vector<std::string> columnNames;
    std::vector<std::string> columnTypes;  // "long", "text", "memo", ...
    std::vector<std::vector<std::optional<std::string>>> rows;
};

// Throws std::runtime_error when the file is missing or not the expected JSON.
std::vector<ExpectedTable> readExpectedTables(const std::filesystem::path& jsonl);

}  // namespace velmora::test
