#include "dataaccess/Value.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

namespace velmora::db {

namespace {

std::string magnitudeDigits(unsigned __int128 m) {
    // Nineteen digits at a time: a 128-bit division per digit costs more than the rest
    // of writing a Currency value.
    constexpr std::uint64_t kChunk = 10'000'000'000'000'000'000ULL;
    char buffer[48];
    char* end = buffer + sizeof buffer;
    char* begin = end;
    while (m >= kChunk) {
        std::uint64_t chunk = static_cast<std::uint64_t>(m % kChunk);
        m /= kChunk;
        for (int i = 0; i < 19; ++i, chunk /= 10) *--begin = static_cast<char>('0' + chunk % 10);
    }
    char head[20];
    const auto written = std::to_chars(head, head + sizeof head, static_cast<std::uint64_t>(m)).ptr;
    std::string digits(head, written);
    digits.append(begin, end);
    return digits;
}

// Places a decimal point `scale` digits from the right of `digits`.
std::string withScale(std::string digits, int scale) {
    if (scale <= 0) return digits;
    if (static_cast<int>(digits.size()) <= scale)
        digits.insert(0, static_cast<std::size_t>(scale) - digits.size() + 1, '0');
    digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
    return digits;
}

}  // namespace

std::string Currency::toString() const {
    const bool negative = units < 0;
    const unsigned __int128 m =
        negative ? static_cast<unsigned __int128>(-(static_cast<__int128>(units))) : units;
    std::string text = withScale(magnitudeDigits(m), 4);
    while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.'))
        text.pop_back();
    return negative ? "-" + text : text;
}

std::string Decimal::toString() const {
    std::string text = withScale(magnitudeDigits(magnitude), scale);
    return negative && magnitude != 0 ? "-" + text : text;
}

std::string Guid::toString() const {
    char buffer[40];
    const auto& b = bytes;
    std::snprintf(buffer, sizeof buffer,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                  b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return buffer;
}

}  // namespace velmora::db
