#pragma once
// A typed database value as the data-access interface hands it over: never a
// pre-formatted string, so that nothing is lost before the caller decides how to
// write it.

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace velmora::db {

struct Null {
    bool operator==(const Null&) const = default;
};

// Currency: an exact count of ten-thousandths, as Access and Paradox store it.
struct Currency {
    std::int64_t units = 0;
    bool operator==(const Currency&) const = default;
    std::string toString() const;  // plain decimal, '.' separator, no trailing zeros
};

// Exact decimal: sign, unsigned magnitude (up to 96 bits in Access, 38 digits) and scale.
struct Decimal {
    bool negative = false;
    unsigned __int128 magnitude = 0;
    int scale = 0;
    int precision = 0;
    bool operator==(const Decimal&) const = default;
    std::string toString() const;  // plain decimal, '.' separator, all scale digits kept
};

// Date and time as an OLE Automation date: days since 1899-12-30; the integer part is a
// signed day count and the absolute fraction the time of day, which is how Access stores it.
struct DateTime {
    double serial = 0.0;
    // A Date/Time Extended value keeps 100 ns ticks: those beyond the millisecond the
    // serial is rounded to (-5000 to 4999; 0 for every value that has no finer digits).
    std::int16_t ticksBeyondMillisecond = 0;
    bool operator==(const DateTime&) const = default;
};

struct Guid {
    std::array<std::uint8_t, 16> bytes{};  // in the stored (little-endian first three groups) order
    bool operator==(const Guid&) const = default;
    std::string toString() const;  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
};

using Bytes = std::vector<std::uint8_t>;

enum class ValueKind {
    Null,
    Boolean,
    Integer,
    Single,
    Double,
    Currency,
    Decimal,
    DateTime,
    Text,
    Bytes,
    Guid
};

class Value {
  public:
    Value() = default;
    Value(Null) {}
    explicit Value(bool b) : v_(b) {}
    explicit Value(std::int64_t i) : v_(i) {}
    explicit Value(int i) : v_(std::int64_t{i}) {}
    explicit Value(float f) : v_(f) {}
    explicit Value(double d) : v_(d) {}
    explicit Value(Currency c) : v_(c) {}
    explicit Value(Decimal d) : v_(d) {}
    explicit Value(DateTime d) : v_(d) {}
    explicit Value(std::string s) : v_(std::move(s)) {}  // UTF-8 text
    explicit Value(Bytes b) : v_(std::move(b)) {}
    explicit Value(Guid g) : v_(g) {}

    ValueKind kind() const { return static_cast<ValueKind>(v_.index()); }
    bool isNull() const { return v_.index() == 0; }

    bool asBool() const { return std::get<bool>(v_); }
    std::int64_t asInt() const { return std::get<std::int64_t>(v_); }
    float asSingle() const { return std::get<float>(v_); }
    double asDouble() const { return std::get<double>(v_); }
    const Currency& asCurrency() const { return std::get<Currency>(v_); }
    const Decimal& asDecimal() const { return std::get<Decimal>(v_); }
    const DateTime& asDateTime() const { return std::get<DateTime>(v_); }
    const std::string& asText() const { return std::get<std::string>(v_); }
    const Bytes& asBytes() const { return std::get<Bytes>(v_); }
    const Guid& asGuid() const { return std::get<Guid>(v_); }

    // Reassigning in place keeps a text's buffer, so a cursor that refills one row
    // vector per fetch does not allocate per value.
    void setNull() { v_.emplace<Null>(); }
    std::string& setText() {
        if (v_.index() != static_cast<std::size_t>(ValueKind::Text)) v_.emplace<std::string>();
        return std::get<std::string>(v_);
    }
    Bytes& setBytes() {
        if (v_.index() != static_cast<std::size_t>(ValueKind::Bytes)) v_.emplace<Bytes>();
        return std::get<Bytes>(v_);
    }
    template <typename T>
    void set(T value) {
        v_ = std::move(value);
    }

    // As std::variant compares, without std::visit: a verification compares every value.
    bool operator==(const Value& other) const {
        if (v_.index() != other.v_.index()) return false;
        switch (kind()) {
            case ValueKind::Null:
                return true;
            case ValueKind::Boolean:
                return asBool() == other.asBool();
            case ValueKind::Integer:
                return asInt() == other.asInt();
            case ValueKind::Single:
                return asSingle() == other.asSingle();
            case ValueKind::Double:
                return asDouble() == other.asDouble();
            case ValueKind::Currency:
                return asCurrency() == other.asCurrency();
            case ValueKind::Decimal:
                return asDecimal() == other.asDecimal();
            case ValueKind::DateTime:
                return asDateTime() == other.asDateTime();
            case ValueKind::Text:
                return asText() == other.asText();
            case ValueKind::Bytes:
                return asBytes() == other.asBytes();
            case ValueKind::Guid:
                return asGuid() == other.asGuid();
        }
        return true;  // both valueless
    }

  private:
    std::variant<Null, bool, std::int64_t, float, double, Currency, Decimal, DateTime, std::string,
                 Bytes, Guid>
        v_;
};

}  // namespace velmora::db
