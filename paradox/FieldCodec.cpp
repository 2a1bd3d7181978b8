#include "paradox/FieldCodec.h"

#include <bit>
#include <cmath>

#include "paradox/ByteOrder.h"

namespace velmora::paradox {

namespace {
const std::int64_t kDayZero = db::daysFromCivil({1, 1, 1}) - 1;  // Unix-epoch days of "day 0"
}

bool isBlank(const std::uint8_t* p, int length) {
    for (int i = 0; i < length; ++i)
        if (p[i] != 0) return false;
    return true;
}

void putShort(std::uint8_t* p, std::int16_t value) {
    putBe16(p, static_cast<std::uint16_t>(static_cast<std::uint16_t>(value) ^ 0x8000u));
}
std::int16_t getShort(const std::uint8_t* p) {
    return static_cast<std::int16_t>(getBe16(p) ^ 0x8000u);
}
void putLong(std::uint8_t* p, std::int32_t value) {
    putBe32(p, static_cast<std::uint32_t>(value) ^ 0x80000000u);
}
std::int32_t getLong(const std::uint8_t* p) {
    return static_cast<std::int32_t>(getBe32(p) ^ 0x80000000u);
}

void putDouble(std::uint8_t* p, double value) {
    auto bits = std::bit_cast<std::uint64_t>(value);
    bits = (bits >> 63) ? ~bits : bits | (std::uint64_t{1} << 63);
    putBe64(p, bits);
}
double getDouble(const std::uint8_t* p) {
    auto bits = getBe64(p);
    bits = (bits >> 63) ? bits & ~(std::uint64_t{1} << 63) : ~bits;
    return std::bit_cast<double>(bits);
}

void putBcd(std::uint8_t* p, bool negative, unsigned __int128 scaled, int decimals) {
    if (scaled == 0) negative = false;
    p[0] = static_cast<std::uint8_t>((negative ? 0x40 : 0xC0) | decimals);
    for (int byte = 16; byte >= 1; --byte) {
        const auto low = static_cast<std::uint8_t>(scaled % 10);
        scaled /= 10;
        const auto high = static_cast<std::uint8_t>(scaled % 10);
        scaled /= 10;
        const auto digits = static_cast<std::uint8_t>((high << 4) | low);
        p[byte] = negative ? static_cast<std::uint8_t>(~digits) : digits;
    }
}

db::Decimal getBcd(const std::uint8_t* p, int decimals) {
    const bool negative = (p[0] & 0x80) == 0;
    unsigned __int128 value = 0;
    for (int byte = 1; byte <= 16; ++byte) {
        const std::uint8_t digits = negative ? static_cast<std::uint8_t>(~p[byte]) : p[byte];
        value = value * 10 + (digits >> 4);
        value = value * 10 + (digits & 0x0F);
    }
    return db::Decimal{negative && value != 0, value, decimals, 32};
}

std::int64_t paradoxDayNumber(const db::CivilDate& date) {
    return db::daysFromCivil(date) - kDayZero;
}

db::DateTime dateValue(std::int32_t paradoxDay) {
    return db::fromDayAndMillisecond(paradoxDay + kDayZero, 0);
}

db::DateTime timeValue(std::int32_t milliseconds) {
    return db::DateTime{static_cast<double>(milliseconds) / static_cast<double>(kMsPerDay)};
}

db::DateTime timestampValue(double milliseconds) {
    if (!(std::fabs(milliseconds) <= 1e17)) {  // far outside any calendar: keep the plain day count
        const double oleEpoch = static_cast<double>(paradoxDayNumber({1899, 12, 30}));
        return db::DateTime{milliseconds / static_cast<double>(kMsPerDay) - oleEpoch};
    }
    const auto total = static_cast<std::int64_t>(std::llround(milliseconds));
    std::int64_t day = total / kMsPerDay;
    std::int64_t ms = total % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
        --day;
    }
    return db::fromDayAndMillisecond(day + kDayZero, ms);
}

}  // namespace velmora::paradox
