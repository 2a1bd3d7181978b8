#include "tests/access/ExpectedText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dataaccess/Calendar.h"
#include "tests/access/JavaNumberText.h"

namespace velmora::access::testing {

namespace {

std::string dateText(const db::DateTime& d) {
    if (!std::isfinite(d.serial)) return "(not a date)";
    const db::CivilDateTime t = db::toCivil(d);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.date.year, t.date.month,
                  t.date.day, t.hour, t.minute, t.second);
    return buffer;
}

std::string currencyText(const db::Currency& c) {
    const bool negative = c.units < 0;
    const unsigned long long m = negative ? 0ULL - static_cast<unsigned long long>(c.units)
                                          : static_cast<unsigned long long>(c.units);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", negative ? "-" : "", m / 10000,
                  m % 10000);
    return buffer;
}

std::string hexText(const db::Bytes& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

std::string rawDataText(const db::Bytes& bytes) {
    std::string out = "RawData[(" + std::to_string(bytes.size()) + ")";
    char hex[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
        out += (i > 0 && i % 4 == 0) ? "  " : " ";
        out += hex;
    }
    return out + "]";
}

}  // namespace

bool denotesSameFloatingValue(const std::string& text, const db::Value& value) {
    if (value.kind() == db::ValueKind::Single) {
        const float parsed = std::strtof(text.c_str(), nullptr);
        const float ours = value.asSingle();
        return (std::isnan(parsed) && std::isnan(ours)) ||
               std::memcmp(&parsed, &ours, sizeof ours) == 0;
    }
    if (value.kind() == db::ValueKind::Double) {
        const double parsed = std::strtod(text.c_str(), nullptr);
        const double ours = value.asDouble();
        return (std::isnan(parsed) && std::isnan(ours)) ||
               std::memcmp(&parsed, &ours, sizeof ours) == 0;
    }
    return false;
}

std::optional<std::string> expectedTextOf(const db::Value& value, const std::string& expectedType) {
    switch (value.kind()) {
        case db::ValueKind::Null:
            return std::nullopt;
        case db::ValueKind::Boolean:
            return value.asBool() ? "1" : "0";
        case db::ValueKind::Integer:
            return std::to_string(value.asInt());
        case db::ValueKind::Single:
            return javaFloatText(value.asSingle());
        case db::ValueKind::Double:
            return javaDoubleText(value.asDouble());
        case db::ValueKind::Currency:
            return currencyText(value.asCurrency());
        case db::ValueKind::Decimal:
            return value.asDecimal().toString();
        case db::ValueKind::DateTime:
            return dateText(value.asDateTime());
        case db::ValueKind::Text:
            return value.asText();
        case db::ValueKind::Bytes:
            if (expectedType.rfind("UNSUPPORTED", 0) == 0) return rawDataText(value.asBytes());
            return hexText(value.asBytes());
        case db::ValueKind::Guid:
            return value.asGuid().toString();
    }
    return std::nullopt;
}

}  // namespace velmora::access::testing
