#pragma once
// Reads one property out of an object's property blob (the LvProp field of its catalogue
// entry, "MR2\0" format): a chunk naming every property, then one chunk per object (the
// table, each column), each listing (property name index, type, value) entries.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "access/ByteSpan.h"
#include "access/TextDecoder.h"

namespace velmora::access {

// The first byte of the value of `property` in the chunk of `object` (a column name;
// compared without regard to case), or nothing when the blob has no such property.
// Throws FormatError when the blob's chunks contradict their lengths.
std::optional<std::uint8_t> bytePropertyOf(ByteSpan blob, std::string_view object,
                                           std::string_view property);

// Every property of every object (the first is usually the table's own, then each
// column's). Values keep their stored bytes; `type` is the Jet property type (1 boolean,
// 2 byte, 3 integer, 4 long, 6 single, 7 double, 8 date, 10 text, 12 memo, ...).
struct Property {
    std::string name;
    int type = 0;
    std::vector<std::uint8_t> value;
};
struct PropertyObject {
    std::string name;
    std::vector<Property> properties;
    const Property* find(std::string_view property) const;
};
// Jet4 and later blobs start "MR2", Jet3's "KKD" with their texts in the code page.
// Throws FormatError when the blob's chunks contradict their lengths; an empty list for a
// blob of another format.
std::vector<PropertyObject> readPropertyBlob(ByteSpan blob, const TextDecoder& text);

// A property's value as text: texts as they are, booleans as "True"/"False", numbers in
// decimal; "" for other types.
std::string propertyText(const Property& property, const TextDecoder& text);

}  // namespace velmora::access
