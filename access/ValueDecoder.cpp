#include "access/ValueDecoder.h"

#include <cstring>

#include "dataaccess/Calendar.h"

namespace velmora::access {

namespace {

template <typename T>
T load(ByteSpan bytes) {
    if (bytes.size() < sizeof(T)) throw FormatError("a field is shorter than its type");
    T v;
    std::memcpy(&v, bytes.data(), sizeof(T));
    return v;
}

// Decimal: a sign byte, then the 128-bit magnitude as four 32-bit little-endian words,
// most significant word first.
db::Decimal readDecimal(ByteSpan bytes, const ColumnDefinition& column) {
    if (bytes.size() < 17) throw FormatError("a decimal field is shorter than 17 bytes");
    db::Decimal d;
    d.negative = bytes.u8(0) != 0;
    for (int word = 0; word < 4; ++word)
        d.magnitude = d.magnitude << 32 | bytes.u32(1 + 4 * static_cast<std::size_t>(word));
    d.scale = column.scale;
    d.precision = column.precision;
    return d;
}

std::int64_t digits(ByteSpan bytes, std::size_t at, std::size_t count) {
    std::int64_t v = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const std::uint8_t c = bytes.u8(i);
        if (c < '0' || c > '9') throw FormatError("an extended date/time field is not readable");
        v = v * 10 + (c - '0');
    }
    return v;
}

// Date/Time Extended: ASCII "<19 digits: days since 0001-01-01>:<19 digits: time of day in
// 100 ns units>:<precision>". The serial holds it rounded to the nearest millisecond (the
// last millisecond of 9999 at most); the ticks beyond that stay with the value.
db::DateTime readExtendedDate(ByteSpan bytes) {
    constexpr std::int64_t kTicksPerDay = 864000000000;
    constexpr std::int64_t kTicksPerMs = 10000;
    constexpr std::int64_t kLastDay = 3652058;  // 9999-12-31
    std::int64_t days = digits(bytes, 0, 19);
    if (bytes.u8(19) != ':') throw FormatError("an extended date/time field is not readable");
    const std::int64_t ticks = digits(bytes, 20, 19);
    if (days > kLastDay || ticks >= kTicksPerDay)
        throw FormatError("an extended date/time field is out of range");
    std::int64_t ms = (ticks + kTicksPerMs / 2) / kTicksPerMs;
    if (ms * kTicksPerMs >= kTicksPerDay) {  // rounded up to midnight
        if (days < kLastDay) {
            ++days;
            ms = 0;
        } else {
            ms = kTicksPerDay / kTicksPerMs - 1;
        }
    }
    static const std::int64_t kFirstDay = db::daysFromCivil({1, 1, 1});
    db::CivilDateTime t;
    t.date = db::civilFromDays(kFirstDay + days);
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    db::DateTime value = db::fromCivil(t);
    const std::int64_t beyond = ticks - ms * kTicksPerMs;  // within one millisecond
    value.ticksBeyondMillisecond =
        static_cast<std::int16_t>(beyond >= kTicksPerDay / 2 ? beyond - kTicksPerDay : beyond);
    return value;
}

// A calculated column stores its result behind a 16-byte block and a 32-bit length.
ByteSpan unwrapCalculated(ByteSpan bytes) {
    constexpr std::size_t kLengthAt = 16;
    constexpr std::size_t kDataAt = 20;
    if (bytes.size() < kDataAt) throw FormatError("a calculated field is shorter than its header");
    return bytes.sub(kDataAt, bytes.u32(kLengthAt));
}

// A calculated Decimal result is kept as a 16-byte OLE DECIMAL: two reserved bytes, the
// scale, the sign, then the 96-bit magnitude as a 32-bit high part and a 64-bit low part.
db::Decimal readCalculatedDecimal(ByteSpan bytes) {
    constexpr int kCalculatedPrecision = 28;
    if (bytes.size() < 16) throw FormatError("a calculated decimal field is shorter than 16 bytes");
    db::Decimal d;
    d.scale = bytes.u8(2);
    d.negative = (bytes.u8(3) & 0x80) != 0;
    d.magnitude = static_cast<unsigned __int128>(bytes.u32(4)) << 64 | bytes.u64(8);
    d.precision = kCalculatedPrecision;
    if (d.scale > kCalculatedPrecision)
        throw FormatError("a calculated decimal has an impossible scale");
    return d;
}

}  // namespace

void ValueDecoder::decodeCalculated(const ColumnDefinition& column, ByteSpan stored,
                                    db::Value& out) {
    const std::uint8_t type = column.valueType;
    if (type == jet_type::kMemo || type == jet_type::kOle) {  // the wrapper is itself a long value
        longValues_.read(stored, scratch_);
        stored = ByteSpan(scratch_.data(), scratch_.size());
    }
    const ByteSpan inner = unwrapCalculated(stored);
    switch (type) {
        case jet_type::kText:
        case jet_type::kMemo:
            text_.decode(inner, out.setText());
            return;
        case jet_type::kOle:
            out.setBytes().assign(inner.data(), inner.data() + inner.size());
            return;
        default:
            break;
    }
    if (inner.empty()) {  // the expression had no result
        out.setNull();
        return;
    }
    switch (type) {
        case jet_type::kBoolean:
            out.set(inner.u8(0) != 0);
            return;
        case jet_type::kNumeric:
            out.set(readCalculatedDecimal(inner));
            return;
        default:
            decodeStored(type, column, inner, out);
            return;
    }
}

void ValueDecoder::decodeStored(std::uint8_t type, const ColumnDefinition& column, ByteSpan bytes,
                                db::Value& out) {
    switch (type) {
        case jet_type::kByte:
            out.set(std::int64_t{load<std::uint8_t>(bytes)});
            return;
        case jet_type::kInteger:
            out.set(std::int64_t{load<std::int16_t>(bytes)});
            return;
        case jet_type::kLong:
        case jet_type::kComplex:
            out.set(std::int64_t{load<std::int32_t>(bytes)});
            return;
        case jet_type::kBigInt:
            out.set(load<std::int64_t>(bytes));
            return;
        case jet_type::kCurrency:
            out.set(db::Currency{load<std::int64_t>(bytes)});
            return;
        case jet_type::kSingle:
            out.set(load<float>(bytes));
            return;
        case jet_type::kDouble:
            out.set(load<double>(bytes));
            return;
        case jet_type::kDateTime:
            out.set(db::DateTime{load<double>(bytes)});
            return;
        case jet_type::kExtendedDateTime:
            out.set(readExtendedDate(bytes));
            return;
        case jet_type::kNumeric:
            out.set(readDecimal(bytes, column));
            return;
        case jet_type::kGuid: {
            db::Guid g;
            if (bytes.size() < g.bytes.size()) throw FormatError("a GUID field is too short");
            std::memcpy(g.bytes.data(), bytes.data(), g.bytes.size());
            out.set(g);
            return;
        }
        case jet_type::kText:
            text_.decode(bytes, out.setText());
            return;
        case jet_type::kMemo:
            longValues_.read(bytes, scratch_);
            text_.decode(ByteSpan(scratch_.data(), scratch_.size()), out.setText());
            return;
        case jet_type::kOle:
            longValues_.read(bytes, out.setBytes());
            return;
        default: {  // Binary and kinds this reader does not interpret: the bytes as stored
            db::Bytes& b = out.setBytes();
            b.assign(bytes.data(), bytes.data() + bytes.size());
            return;
        }
    }
}

void ValueDecoder::decode(const ColumnDefinition& column, const Field& field, db::Value& out) {
    if (column.type == jet_type::kBoolean && !column.calculated) {
        out.set(field.present);
        return;
    }
    if (!field.present) {
        out.setNull();
        return;
    }
    if (column.calculated) {
        decodeCalculated(column, field.bytes, out);
        return;
    }
    decodeStored(column.type, column, field.bytes, out);
}

}  // namespace velmora::access
