#pragma once
// Our typed values written the way the expected values (an independent reader's
// output, see the corpus README) write them: Yes/No "1"/"0", dates
// "YYYY-MM-DD HH:MM:SS" without fractions, Currency with four decimals, Decimal with
// all its scale digits, Single/Double as Java prints them, bytes as lowercase hex,
// GUIDs braced in upper case, unreadable kinds as "RawData[(n) XX XX XX XX  XX ...]".

#include <optional>
#include <string>

#include "dataaccess/Value.h"

namespace velmora::access::testing {

// `expectedType` is the type name of the expected file's column header; it chooses
// the raw-data form for kinds the independent reader does not interpret. Nothing for
// Null.
std::optional<std::string> expectedTextOf(const db::Value& value, const std::string& expectedType);

// True when `text` reads back to exactly the Single or Double `value`. Java releases
// before 19 sometimes print more digits than the shortest round-trip form ("1.4E-45"
// for the smallest Single, where the shortest is "1E-45"); both name the same number.
bool denotesSameFloatingValue(const std::string& text, const db::Value& value);

}  // namespace velmora::access::testing
