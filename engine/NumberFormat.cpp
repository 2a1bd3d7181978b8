#include "engine/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
constexpr int kMostDecimals = 8;
// Below this the product value * 10^k is within 1/16 of the exact one, and a decimal that
// reads back to the value lies within 1/8 of it: rounding the product finds that decimal,
// and no other lies as close.
constexpr double kExactBelow = 1125899906842624.0;  // 2^50

int digitCount(std::uint64_t n) {
    int count = 1;
    for (; n >= 10; n /= 10) ++count;
    return count;
}

char* writeDigits(char* out, std::uint64_t n, int count) {
    for (char* at = out + count; at != out; n /= 10) *--at = static_cast<char>('0' + n % 10);
    return out + count;
}

// The quick way; nullptr where std::to_chars must decide.
char* writeFewDecimals(char* out, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1.0)) return nullptr;  // zero, small numbers: exponents may win
    for (int k = 0; k <= kMostDecimals; ++k) {
        const double scaled = magnitude * kPowersOfTen[k];
        if (scaled >= kExactBelow) return nullptr;
        const auto n = static_cast<std::uint64_t>(std::llround(scaled));
        // Dividing two exact numbers rounds as reading the decimal text does.
        if (static_cast<double>(n) / kPowersOfTen[k] != magnitude) continue;
        if (value < 0) *out++ = '-';
        const int digits = digitCount(n);
        if (k == 0) {
            // A whole number: the exponent form wins when it is shorter ("1e+06").
            int significant = digits;
            for (std::uint64_t rest = n; rest % 10 == 0; rest /= 10) --significant;
            const int exponentForm = (significant > 1 ? significant + 1 : 1) + 4;
            if (exponentForm < digits) return nullptr;
            return writeDigits(out, n, digits);
        }
        // With decimals the plain form is always the shorter.
        const auto unit = static_cast<std::uint64_t>(kPowersOfTen[k]);
        const std::uint64_t whole = n / unit;
        out = writeDigits(out, whole, digitCount(whole));
        *out++ = '.';
        return writeDigits(out, n % unit, k);
    }
    return nullptr;
}

}  // namespace

char* WriteShortest(char* out, double value) {
    if (char* end = writeFewDecimals(out, value)) return end;
    return std::to_chars(out, out + kNumberTextRoom, value).ptr;
}

}  // namespace velmora
