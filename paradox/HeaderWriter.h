#pragma once
// Building the headers of new tables: the .db header, the .px header and the .mb header,
// as docs/paradox-format.md describes them. Every byte is set, so equal definitions give
// equal files.

#include <cstdint>
#include <string_view>
#include <vector>

#include "paradox/TableHeader.h"

namespace velmora::paradox {

inline constexpr int kIndexBlockSize = 2048;  // what Borland's primary indexes mostly use
inline constexpr int kBlobBlockSize = 4096;
inline constexpr int kCodePage1252 = 1252;
inline constexpr std::uint8_t kChangeCount = 1;
// 0x12, which Borland's engine sets to 3 in the tables it creates and fills at once.
inline constexpr std::uint16_t kUnknown12Value = 3;

// A header for `info` (fields with UTF-8 names that its code page can hold, block size,
// key fields, sort order name; counts as given). `fileName` is the .db file name.
std::vector<std::uint8_t> buildTableHeader(const TableInfo& info, std::string_view fileName);

// The in-memory address of the primary index's header, which Borland's engine leaves at
// 0x16 of every keyed table (pxlib's writer sets one too); our in-memory pointers count
// from the start of the .db header, and the .px header lies right after it.
std::uint32_t primaryIndexPointer(const TableInfo& info);

// An empty primary index for the key fields of `info`; `fileName` is the name its header
// keeps ("<table>.PX").
std::vector<std::uint8_t> buildIndexHeader(const TableInfo& info, std::string_view fileName);

// The 4 KB header block of an empty .mb file.
std::vector<std::uint8_t> buildBlobHeader();

// A name exactly as the code page spells it. Names were checked against the code page
// before (checkFieldName, the file name's own check), so a character it lacks is a fault.
std::string toCodePage(std::string_view utf8, int codePage);

}  // namespace velmora::paradox
