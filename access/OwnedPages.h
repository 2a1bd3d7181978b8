#pragma once
// The pages a table owns, from its usage map: either a bitmap stored inline after a
// start page number, or (for larger tables) a list of bitmap pages each covering a
// fixed range of page numbers. Walked lazily in ascending page order, so a table of
// any size costs at most one bitmap page of memory.

#include <cstdint>
#include <vector>

#include "access/PageFile.h"
#include "access/TableDefinition.h"

namespace velmora::access {

class OwnedPages {
  public:
    // Throws FormatError when the map record is damaged.
    OwnedPages(const PageFile& file, RowPointer map);

    // The next owned page, or false past the last one.
    bool next(std::uint32_t& page);

  private:
    bool loadNextMapPage();

    const PageFile& file_;
    bool reference_ = false;
    std::vector<std::uint8_t> bitmap_;
    std::uint64_t base_ = 0;  // page number of bit 0 of `bitmap_`
    std::size_t bit_ = 0;     // next bit to look at
    std::vector<std::uint32_t> mapPages_;
    std::size_t mapIndex_ = 0;
};

}  // namespace velmora::access
