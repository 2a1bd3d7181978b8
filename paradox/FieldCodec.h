#pragma once
// The byte forms of field values inside a record, as docs/paradox-format.md describes
// them ("Data blocks"): records compare bytewise in value order, all zeros is blank.

#include <cstdint>

#include "dataaccess/Calendar.h"
#include "dataaccess/Value.h"

namespace velmora::paradox {

inline constexpr std::int64_t kMsPerDay = 86400000;

bool isBlank(const std::uint8_t* p, int length);

void putShort(std::uint8_t* p, std::int16_t value);
std::int16_t getShort(const std::uint8_t* p);
void putLong(std::uint8_t* p, std::int32_t value);
std::int32_t getLong(const std::uint8_t* p);
void putDouble(std::uint8_t* p, double value);
double getDouble(const std::uint8_t* p);
inline void putLogical(std::uint8_t* p, bool value) {
    *p = value ? 0x81 : 0x80;
}
inline bool getLogical(const std::uint8_t* p) {
    return (*p & 0x7F) != 0;
}

// BCD: a sign/decimals byte and 32 decimal digits in nibbles. `scaled` is the value times
// 10^decimals and must be below 10^32.
void putBcd(std::uint8_t* p, bool negative, unsigned __int128 scaled, int decimals);
// Nibbles above 9, which some writers leave behind, count with their face value.
db::Decimal getBcd(const std::uint8_t* p, int decimals);

// Paradox counts days from 1 January of year 1, which is day 1.
std::int64_t paradoxDayNumber(const db::CivilDate& date);

db::DateTime dateValue(std::int32_t paradoxDay);
db::DateTime timeValue(std::int32_t milliseconds);
db::DateTime timestampValue(double milliseconds);

}  // namespace velmora::paradox
