#pragma once
// The rows a table's indexes list. Every index keeps one entry per live row in its leaf
// pages, which are chained in key order, and each entry ends with the data page and row
// slot of its row. So an index tells how many rows a page held when the page itself can
// no longer be read, and which slots of a page are rows when the page's own flags were
// damaged. Only damaged tables need it: the leaves of every table are found by one search
// of the file, made when first asked.

#include <cstdint>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "access/PageFile.h"

namespace velmora::access {

// One index's rows: the slots it lists on each data page, ascending.
struct IndexRows {
    std::map<std::uint32_t, std::vector<std::uint8_t>> slots;
    std::size_t entries = 0;
};

class IndexLeaves {
  public:
    explicit IndexLeaves(const PageFile& file) : file_(file) {}

    // The rows of each index of the table whose definition is at `tablePage` whose chain
    // of leaves could be read whole and lists no row twice.
    std::vector<IndexRows> indexesOf(std::uint32_t tablePage) const;

  private:
    void search() const;

    const PageFile& file_;
    mutable std::once_flag searched_;
    mutable std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> leaves_;  // by table
};

}  // namespace velmora::access
