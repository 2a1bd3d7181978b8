#include "dataaccess/Calendar.h"

#include <bit>
#include <cmath>

namespace velmora::db {

// Howard Hinnant's civil-from-days algorithms (public domain).
std::int64_t daysFromCivil(CivilDate d) {
    const std::int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t m = d.month;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = yoe + era * 400;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp + (mp < 10 ? 3 : -9);
    return CivilDate{static_cast<int>(y + (m <= 2 ? 1 : 0)), static_cast<int>(m),
                     static_cast<int>(d)};
}

bool isValidDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int limit = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= limit;
}

namespace {
const std::int64_t kOleEpoch = daysFromCivil({1899, 12, 30});
constexpr std::int64_t kMsPerDay = 86400000;
// Days either side of 1899-12-30 whose dates round-trip through the civil calendar
// without overflow (about 270,000 years).
constexpr double kCalendarFree = 1e8;
}  // namespace

SerialDay splitSerial(double serial) {
    const double whole = std::trunc(serial);
    SerialDay out{static_cast<std::int64_t>(whole),
                  static_cast<std::int64_t>(
                      std::llround(std::fabs(serial - whole) * static_cast<double>(kMsPerDay)))};
    // Before 1899-12-30 the day counts down while the time of day still counts up, so
    // rounding up to midnight moves to the next day whatever the sign.
    if (out.millisecond >= kMsPerDay) {
        out.millisecond -= kMsPerDay;
        ++out.days;
    }
    return out;
}

CivilDateTime toCivil(DateTime value) {
    const auto [days, ms] = splitSerial(value.serial);
    CivilDateTime out;
    out.date = civilFromDays(kOleEpoch + days);
    out.hour = static_cast<int>(ms / 3600000);
    out.minute = static_cast<int>(ms / 60000 % 60);
    out.second = static_cast<int>(ms / 1000 % 60);
    out.millisecond = static_cast<int>(ms % 1000);
    return out;
}

bool finerThanMillisecond(DateTime value) {
    if (value.ticksBeyondMillisecond != 0) return true;
    if (!std::isfinite(value.serial)) return false;
    // A serial within a few of its own steps of a millisecond is that millisecond: the
    // step is 0.6 µs today and 40 µs in the year 9999.
    double millisecond = 0;
    if (std::fabs(value.serial) < kCalendarFree) {
        // toCivil and fromCivil, whose day counts are each other's inverse in this range.
        const auto [days, ms] = splitSerial(value.serial);
        const double fraction = static_cast<double>(ms) / kMsPerDay;
        millisecond =
            days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
    } else {
        millisecond = fromCivil(toCivil(value)).serial;
    }
    const double magnitude = std::fabs(value.serial);
    // The next double up, as std::nextafter gives it for a finite magnitude, without its call.
    const double step =
        std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) + 1) - magnitude;
    return std::fabs(millisecond - value.serial) > 4 * step;
}

DateTime fromCivil(const CivilDateTime& value) {
    return fromDayAndMillisecond(
        daysFromCivil(value.date),
        ((value.hour * 60LL + value.minute) * 60 + value.second) * 1000 + value.millisecond);
}

DateTime fromDayAndMillisecond(std::int64_t unixDays, std::int64_t ms) {
    const std::int64_t days = unixDays - kOleEpoch;
    const double fraction = static_cast<double>(ms) / kMsPerDay;
    return DateTime{days < 0 ? static_cast<double>(days) - fraction
                             : static_cast<double>(days) + fraction};
}

}  // namespace velmora::db
