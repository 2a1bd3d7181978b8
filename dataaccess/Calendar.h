#pragma once
// Proleptic Gregorian calendar arithmetic shared by the Access and Paradox sides.

#include <cstdint>

#include "dataaccess/Value.h"

namespace velmora::db {

struct CivilDate {
    int year = 0;  // 1..9999 for valid dates
    int month = 0;
    int day = 0;
    bool operator==(const CivilDate&) const = default;
};

struct CivilDateTime {
    CivilDate date;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    bool operator==(const CivilDateTime&) const = default;
};

// Days since 1970-01-01 of a Gregorian date, and back (valid for any year).
std::int64_t daysFromCivil(CivilDate d);
CivilDate civilFromDays(std::int64_t days);

bool isValidDate(int year, int month, int day);

// An OLE Automation date's whole days from 1899-12-30 and its millisecond of the day,
// rounded to the millisecond as Access and ADO do.
struct SerialDay {
    std::int64_t days = 0;
    std::int64_t millisecond = 0;  // 0 to 86,399,999
};
SerialDay splitSerial(double serial);

// OLE Automation date (days since 1899-12-30, absolute fraction = time of day),
// rounded to the millisecond as Access and ADO do.
CivilDateTime toCivil(DateTime value);
DateTime fromCivil(const CivilDateTime& value);
// The same for a day counted from 1970-01-01 and a millisecond of that day (0 to
// 86,399,999), without the calendar.
DateTime fromDayAndMillisecond(std::int64_t days, std::int64_t millisecond);

// Whether the value holds more than whole milliseconds: the ticks of a Date/Time Extended
// value, or a serial that lies between milliseconds.
bool finerThanMillisecond(DateTime value);

}  // namespace velmora::db
