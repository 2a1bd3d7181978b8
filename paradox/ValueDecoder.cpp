#include "paradox/ValueDecoder.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "dataaccess/Calendar.h"
#include "paradox/BlobFile.h"
#include "paradox/FieldCodec.h"

namespace velmora::paradox {

void decodeField(const std::uint8_t* record, const FieldInfo& field, const text::CodePage& codePage,
                 int blobFile, const std::string& label, db::Value& out) {
    const std::uint8_t* p = record + field.offset;
    if (isBlank(p, field.length)) {
        out.setNull();
        return;
    }
    switch (field.type) {
        case FieldType::Alpha: {
            const void* end = std::memchr(p, 0, static_cast<std::size_t>(field.length));
            const auto length = end ? static_cast<const std::uint8_t*>(end) - p : field.length;
            std::string& text = out.setText();
            text.clear();
            codePage.decode(std::string_view(reinterpret_cast<const char*>(p),
                                             static_cast<std::size_t>(length)),
                            text);
            return;
        }
        case FieldType::Short:
            out.set(std::int64_t{getShort(p)});
            return;
        case FieldType::Long:
        case FieldType::AutoIncrement:
            out.set(std::int64_t{getLong(p)});
            return;
        case FieldType::Number:
            out.set(getDouble(p));
            return;
        case FieldType::Currency: {
            const double value = getDouble(p);
            const double units = std::nearbyint(value * 10000.0);
            if (std::fabs(units) < 9.2e18)
                out.set(db::Currency{static_cast<std::int64_t>(units)});
            else
                out.set(value);
            return;
        }
        case FieldType::Logical:
            out.set(getLogical(p));
            return;
        case FieldType::Date:
            out.set(dateValue(getLong(p)));
            return;
        case FieldType::Time:
            out.set(timeValue(getLong(p)));
            return;
        case FieldType::Timestamp:
            out.set(timestampValue(getDouble(p)));
            return;
        case FieldType::Bcd:
            out.set(getBcd(p, field.sizeByte));
            return;
        case FieldType::Bytes:
            out.setBytes().assign(p, p + field.length);
            return;
        case FieldType::Memo: {
            std::string raw;
            readBlob(blobFile, p, field.length, raw, label);
            if (raw.empty()) {
                out.setNull();
                return;
            }
            std::string& text = out.setText();
            text.clear();
            codePage.decode(raw, text);
            return;
        }
        case FieldType::Blob:
        case FieldType::FormattedMemo:
        case FieldType::Ole:
        case FieldType::Graphic: {
            std::string raw;
            readBlob(blobFile, p, field.length, raw, label);
            if (raw.empty()) {
                out.setNull();
                return;
            }
            out.setBytes().assign(raw.begin(), raw.end());
            return;
        }
    }
    out.setNull();
}

db::Value decodeFixedField(const std::uint8_t* record, const FieldInfo& field, int codePage) {
    db::Value value;
    if (isBlob(field.type)) return value;
    decodeField(record, field, text::CodePage::forNumber(codePage), -1, {}, value);
    return value;
}

std::string displayText(const db::Value& value) {
    char buffer[64];
    switch (value.kind()) {
        case db::ValueKind::Null:
            return "NULL";
        case db::ValueKind::Boolean:
            return value.asBool() ? "TRUE" : "FALSE";
        case db::ValueKind::Integer:
            return std::to_string(value.asInt());
        case db::ValueKind::Single:
            std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value.asSingle()));
            return buffer;
        case db::ValueKind::Double:
            std::snprintf(buffer, sizeof buffer, "%.17g", value.asDouble());
            return buffer;
        case db::ValueKind::Currency:
            return value.asCurrency().toString();
        case db::ValueKind::Decimal:
            return value.asDecimal().toString();
        case db::ValueKind::DateTime: {
            const auto c = db::toCivil(value.asDateTime());
            std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", c.date.month,
                          c.date.day, c.date.year, c.hour, c.minute, c.second);
            return buffer;
        }
        case db::ValueKind::Text:
            return "'" + value.asText() + "'";
        default:
            return "(binary)";
    }
}

}  // namespace velmora::paradox
