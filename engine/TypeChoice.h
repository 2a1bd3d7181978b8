#pragma once
// A column keeps its mapped type while every value of the column fits that type
// exactly; otherwise it takes the nearest Paradox type that holds every value.

#include <QString>

#include "engine/ColumnProfile.h"
#include "engine/TypeMapping.h"

namespace velmora {

inline constexpr int kLongestAlpha = 255;

// `mapped` as MapType gives it for the lower-cased type label and defined size;
// `codePage` is the table's. Long binary data is left out (an empty text) unless
// `keepBinary`, which gives a BLOB column that receives the exact bytes.
TypeMapping FitTypeToValues(const TypeMapping& mapped, const QString& label, long definedSize,
                            const ColumnProfile& values, int codePage, bool keepBinary = false);

}  // namespace velmora
