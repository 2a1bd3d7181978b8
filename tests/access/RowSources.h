#pragma once
// Where each row of an undamaged database is read from: the pages that hold it (its data
// page, the page of its moved row, the pages of its memo and OLE values), the pages that
// say how to read it (its table's definition and usage map), and the catalogue's pages.
// Damage on one of them may change a row in a way no reader can tell; damage elsewhere
// must not.

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmora::access::testing {

using PageSet = std::set<std::uint32_t>;

struct TableSources {
    std::uint32_t definitionPage = 0;
    PageSet structure;          // its definition, its usage map, the tables of complex values
    std::vector<PageSet> rows;  // by place
};

struct DatabaseSources {
    std::map<std::string, TableSources> tables;  // the tables of type TABLE, by name
    PageSet catalogue;  // the catalogue's definition, data and long-value pages, and page 0
};

DatabaseSources sourcesOf(const std::filesystem::path& file);

bool touches(const PageSet& pages, const PageSet& damaged);

}  // namespace velmora::access::testing
