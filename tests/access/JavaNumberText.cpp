#include "tests/access/JavaNumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace velmora::access::testing {

namespace {

// `scientific` is std::to_chars' shortest scientific form: "[-]d[.ddd]e[+-]XX".
std::string javaText(const std::string& scientific, double magnitude) {
    std::string s = scientific;
    std::string sign;
    if (s[0] == '-') {
        sign = "-";
        s.erase(0, 1);
    }
    const std::size_t e = s.find('e');
    const int exponent = std::atoi(s.c_str() + e + 1);
    std::string digits = s.substr(0, e);
    if (digits.size() > 1) digits.erase(1, 1);  // drop the point

    if (magnitude >= 1e-3 && magnitude < 1e7) {
        std::string whole, fraction;
        if (exponent >= 0) {
            if (static_cast<int>(digits.size()) <= exponent + 1) {
                whole = digits +
                        std::string(static_cast<std::size_t>(exponent + 1) - digits.size(), '0');
            } else {
                whole = digits.substr(0, static_cast<std::size_t>(exponent + 1));
                fraction = digits.substr(static_cast<std::size_t>(exponent + 1));
            }
        } else {
            whole = "0";
            fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        }
        return sign + whole + "." + (fraction.empty() ? "0" : fraction);
    }
    const std::string fraction = digits.size() > 1 ? digits.substr(1) : "0";
    return sign + digits.substr(0, 1) + "." + fraction + "E" + std::to_string(exponent);
}

template <typename T>
std::string format(T value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0) return std::signbit(value) ? "-0.0" : "0.0";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    return javaText(std::string(buffer, result.ptr), std::fabs(static_cast<double>(value)));
}

}  // namespace

std::string javaDoubleText(double value) {
    return format(value);
}
std::string javaFloatText(float value) {
    return format(value);
}

}  // namespace velmora::access::testing
