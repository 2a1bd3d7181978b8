#include "paradox/DecimalNumber.h"

#include <charconv>
#include <cmath>

namespace velmora::paradox {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr int kExponentCap = 100000;
}  // namespace

bool parseDecimal(std::string_view text, DecimalNumber& out) {
    out = DecimalNumber();
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out.negative = text[i++] == '-';
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    const std::string_view intPart = text.substr(intStart, i - intStart);
    std::string_view fracPart;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < text.size() && isDigit(text[i])) ++i;
        fracPart = text.substr(fracStart, i - fracStart);
    }
    if (intPart.empty() && fracPart.empty()) return false;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        if (i >= text.size() || !isDigit(text[i])) return false;
        while (i < text.size() && isDigit(text[i])) {
            if (exponent < kExponentCap) exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (negativeExponent) exponent = -exponent;
    }
    if (i != text.size()) return false;

    // Significant digits of intPart followed by fracPart.
    const std::size_t total = intPart.size() + fracPart.size();
    auto digitAt = [&](std::size_t k) {
        return k < intPart.size() ? intPart[k] : fracPart[k - intPart.size()];
    };
    std::size_t first = 0;
    while (first < total && digitAt(first) == '0') ++first;
    if (first == total) return true;  // zero
    std::size_t last = total;
    while (digitAt(last - 1) == '0') --last;
    const std::size_t count = last - first;
    // The last significant digit sits at 10^(intPart.size() - last).
    out.exponent =
        static_cast<int>(exponent + static_cast<long>(intPart.size()) - static_cast<long>(last));
    if (count > static_cast<std::size_t>(DecimalNumber::kMaxDigits)) {
        out.tooLong = true;
        return true;
    }
    out.digitCount = static_cast<int>(count);
    for (std::size_t k = 0; k < count; ++k) out.digits[k] = digitAt(first + k);
    return true;
}

Exactness scaledMagnitude(const DecimalNumber& number, int scale, unsigned __int128 limit,
                          unsigned __int128& magnitude) {
    magnitude = 0;
    if (number.isZero()) return Exactness::Exact;
    const long shift = static_cast<long>(number.exponent) + scale;
    if (shift < 0) return Exactness::Fraction;  // the last significant digit is a fraction
    if (number.tooLong || shift + number.digitCount > 38) return Exactness::TooLarge;
    unsigned __int128 value = 0;
    for (int k = 0; k < number.digitCount; ++k)
        value = value * 10 + static_cast<unsigned>(number.digits[k] - '0');
    for (long k = 0; k < shift; ++k) value *= 10;
    if (value > limit) return Exactness::TooLarge;
    magnitude = value;
    return Exactness::Exact;
}

bool nearestDouble(std::string_view text, double& out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), out);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    return std::isfinite(out);
}

}  // namespace velmora::paradox
