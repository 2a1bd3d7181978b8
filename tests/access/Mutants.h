#pragma once
// Seeded damage to a copy of a database, of the kinds a crash, a failing disk or a bad copy
// leaves: flipped bytes, a zeroed or duplicated page, a cut, a damaged page header, table
// definition, usage-map pointer or catalogue page. The same seed always makes the same
// mutant, so a failure can be replayed from its seed.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace velmora::access::testing {

struct Mutant {
    std::vector<char> bytes;
    std::string damage;             // what was done, for the record
    std::set<std::uint32_t> pages;  // the pages whose bytes changed, or that were cut off
};

Mutant mutate(const std::vector<char>& original, std::uint64_t seed);

}  // namespace velmora::access::testing
