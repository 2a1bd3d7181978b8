#pragma once
// The pages a table owns, from its usage map: either a bitmap stored inline after a
// start page number, or (for larger tables) a list of bitmap pages each covering a
// fixed range of page numbers. Walked lazily in ascending page order, so a table of
// any size costs at most one bitmap page of memory.
//
// Where the map is damaged (its record cannot be read, a bitmap page is not one), every
// page of the range it covers is named instead, in the same order: the reader keeps the
// pages that say they are the table's data pages, as the map would have named them.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "access/PageFile.h"
#include "access/TableDefinition.h"

namespace velmora::access {

class OwnedPages {
  public:
    OwnedPages(const PageFile& file, RowPointer map);

    // The next page, or false past the last one.
    bool next(std::uint32_t& page);

    // True when the page next() named last came from a search rather than the map.
    bool searched() const { return searched_; }
    // What was damaged in the map, where pages were searched instead; empty when it was
    // read whole.
    const std::string& damage() const { return damage_; }

  private:
    bool loadNextMapPage();
    void search(std::uint64_t first, std::uint64_t end, const std::string& why);

    const PageFile& file_;
    bool reference_ = false;
    std::vector<std::uint8_t> bitmap_;
    std::uint64_t base_ = 0;  // page number of bit 0 of `bitmap_`
    std::size_t bit_ = 0;     // next bit to look at
    std::vector<std::uint32_t> mapPages_;
    std::size_t mapIndex_ = 0;
    std::uint64_t searchNext_ = 0;  // pages named one by one, up to searchEnd_
    std::uint64_t searchEnd_ = 0;
    bool searched_ = false;
    std::string damage_;
};

// The pages the database has freed, from its global usage map (row 0 of page 1): a table
// gives its emptied pages back there, and they keep their bytes, so a page found by a
// search that is listed there holds nothing of a table any more. Nothing when the map
// cannot be read whole.
std::optional<std::unordered_set<std::uint32_t>> freePages(const PageFile& file);

}  // namespace velmora::access
