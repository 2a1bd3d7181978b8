#pragma once
// Building the headers of new level 5 ("Paradox 5.X") tables: the .db header, the .px
// header and the .mb header. Every byte is set, so equal definitions give equal files.

#include <cstdint>
#include <string_view>
#include <vector>

#include "paradox/TableHeader.h"

namespace velmora::paradox {

inline constexpr int kIndexBlockSize = 4096;  // what Borland's level 5 primary indexes use
inline constexpr int kBlobBlockSize = 4096;
inline constexpr int kCodePage1252 = 1252;
inline constexpr std::uint8_t kChangeCount = 1;

// A header for `info` (fields with UTF-8 names that its code page can hold, block size,
// key fields, sort order name; counts as given). `fileName` is the .db file name. For the
// data file of a secondary index (its file type says so) also its field numbers, name
// and direction.
std::vector<std::uint8_t> buildTableHeader(const TableInfo& info, std::string_view fileName);

// An empty primary index for the key fields of `info`; `fileName` is the .px file name.
// For a secondary index's data file `info`, the empty .Ynn or .YGn beside it.
std::vector<std::uint8_t> buildIndexHeader(const TableInfo& info, std::string_view fileName);

// The block size of a secondary index's .Ynn or .YGn for entries of `entrySize` bytes.
int secondaryIndexBlockSize(int entrySize);

// The 4 KB header block of an empty .mb file.
std::vector<std::uint8_t> buildBlobHeader();

}  // namespace velmora::paradox
