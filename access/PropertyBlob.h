#pragma once
// Reads one property out of an object's property blob (the LvProp field of its catalogue
// entry, "MR2\0" format): a chunk naming every property, then one chunk per object (the
// table, each column), each listing (property name index, type, value) entries.

#include <cstdint>
#include <optional>
#include <string_view>

#include "access/ByteSpan.h"

namespace velmora::access {

// The first byte of the value of `property` in the chunk of `object` (a column name;
// compared without regard to case), or nothing when the blob has no such property.
// Throws FormatError when the blob's chunks contradict their lengths.
std::optional<std::uint8_t> bytePropertyOf(ByteSpan blob, std::string_view object,
                                           std::string_view property);

}  // namespace velmora::access
