#pragma once
// Exact reading of decimal number texts ("-12.50", "1.5e3"), so that integer, money and
// BCD columns take a value only when it fits without rounding.

#include <cstdint>
#include <string_view>

namespace velmora::paradox {

struct DecimalNumber {
    static constexpr int kMaxDigits = 40;
    bool negative = false;
    int digitCount = 0;  // significant digits, without leading or trailing zeros; 0 for zero
    char digits[kMaxDigits] = {};
    int exponent = 0;      // value = digits * 10^exponent
    bool tooLong = false;  // more than kMaxDigits significant digits
    bool isZero() const { return digitCount == 0 && !tooLong; }
};

// Parses "[+|-]digits[.digits][(e|E)[+|-]digits]"; either digit run may be empty, not both.
bool parseDecimal(std::string_view text, DecimalNumber& out);

enum class Exactness { Exact, Fraction, TooLarge };

// The magnitude of value * 10^scale when it is a whole number not above `limit`.
Exactness scaledMagnitude(const DecimalNumber& number, int scale, unsigned __int128 limit,
                          unsigned __int128& magnitude);

// The nearest double of a number text (as parseDecimal accepts); false when the value is
// beyond the range of doubles or a value other than zero would become zero.
bool nearestDouble(std::string_view text, double& out);

}  // namespace velmora::paradox
