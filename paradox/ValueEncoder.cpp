#include "paradox/ValueEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

#include "common/text/Utf8.h"
#include "dataaccess/DateTimeText.h"
#include "paradox/ByteOrder.h"
#include "paradox/DecimalNumber.h"
#include "paradox/DriverError.h"
#include "paradox/FieldCodec.h"
#include "paradox/TableFiles.h"

namespace velmora::paradox {

namespace {

constexpr std::size_t kShownLength = 40;

std::string shownValue(const sql::Literal& literal) {
    switch (literal.kind) {
        case sql::LiteralKind::Null:
            return "NULL";
        case sql::LiteralKind::Boolean:
            return literal.truth ? "TRUE" : "FALSE";
        case sql::LiteralKind::Number:
            return (literal.negative ? "-" : "") + std::string(literal.raw);
        case sql::LiteralKind::Hex:
            return "X'" + std::string(literal.raw.substr(0, kShownLength)) +
                   (literal.raw.size() > kShownLength ? "...'" : "'");
        case sql::LiteralKind::Text:
            break;
    }
    std::string raw;
    sql::appendTextLiteral(literal.raw, raw);
    std::string shown = text::escapeControls(raw);
    if (shown.size() > kShownLength) {
        std::size_t cut = kShownLength;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
        shown = shown.substr(0, cut) + "...";
    }
    return "'" + shown + "'";
}

[[noreturn]] void doesNotFit(const sql::Literal& literal, const FieldInfo& field,
                             const std::string& why) {
    fail("The value " + shownValue(literal) + " does not fit column " + inQuotes(field.name) +
         " (" + typeLabel(field) + "): " + why + ".");
}

// Calls `put` with each code page byte of a quoted text (doubled apostrophes undone).
template <typename Put>
void forEachByte(const sql::Literal& literal, const FieldInfo& field, const text::CodePage& cp,
                 Put&& put) {
    const std::string_view raw = literal.raw;
    std::size_t i = 0;
    while (i < raw.size()) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c >= 0x20 && c < 0x80) {  // the common case: plain ASCII
            put(c);
            i += (c == '\'') ? 2 : 1;
            continue;
        }
        char32_t codePoint = 0;
        if (!text::nextCodePoint(raw, i, codePoint))
            doesNotFit(literal, field, "the text is not valid UTF-8");
        // Alpha texts end at a zero byte; a memo keeps its length.
        if (codePoint == 0 && field.type != FieldType::Memo)
            doesNotFit(literal, field, "the text contains a zero character");
        const int byte = cp.encode(codePoint);
        if (byte < 0) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(codePoint));
            std::string shown;
            text::appendUtf8(codePoint, shown);
            doesNotFit(literal, field,
                       "the character " + shown + " (" + hex + ") does not exist in code page " +
                           std::to_string(cp.number()));
        }
        text::CodePage::forEachByte(byte, put);
    }
}

void toCodePage(const sql::Literal& literal, const FieldInfo& field, const text::CodePage& cp,
                std::string& out) {
    forEachByte(literal, field, cp, [&](unsigned char b) { out.push_back(static_cast<char>(b)); });
}

// The text of a quoted literal, copied only when it holds a doubled apostrophe.
std::string_view literalText(const sql::Literal& literal, std::string& scratch) {
    if (literal.raw.find('\'') == std::string_view::npos) return literal.raw;
    scratch.clear();
    sql::appendTextLiteral(literal.raw, scratch);
    return scratch;
}

bool allDigits(std::string_view text) {
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The ten-thousandths a number literal written as digits with at most four decimals
// stands for (a Currency as the run writes it); nothing for any other literal.
std::optional<std::int64_t> plainMoney(const sql::Literal& literal) {
    if (literal.kind != sql::LiteralKind::Number) return std::nullopt;
    const std::string_view raw = literal.raw;
    const std::size_t point = std::min(raw.find('.'), raw.size());
    const std::string_view whole = raw.substr(0, point);
    const std::string_view fraction = raw.substr(std::min(point + 1, raw.size()));
    // Up to 14 whole digits: the units stay below 10^18, far inside a Money field's range.
    if (whole.empty() || whole.size() > 14 || fraction.size() > 4 || !allDigits(whole) ||
        !allDigits(fraction))
        return std::nullopt;
    std::int64_t units = 0;
    for (const char c : whole) units = units * 10 + (c - '0');
    std::size_t decimals = 0;
    for (; decimals < fraction.size(); ++decimals) units = units * 10 + (fraction[decimals] - '0');
    for (; decimals < 4; ++decimals) units *= 10;
    return units;
}

bool isAllSpace(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The text of a number the literal stands for: a number as written or a text holding one.
std::string_view numberText(const sql::Literal& literal, const FieldInfo& field,
                            std::string& scratch) {
    scratch.clear();
    if (literal.kind == sql::LiteralKind::Number) {
        if (!literal.negative) return literal.raw;
        scratch.push_back('-');
        scratch.append(literal.raw);
        return scratch;
    }
    if (literal.kind == sql::LiteralKind::Text) {
        const std::string_view text = literalText(literal, scratch);
        if (isAllSpace(text)) doesNotFit(literal, field, "an empty text is not a number");
        return trimmed(text);
    }
    doesNotFit(literal, field, "it is not a number");
}

DecimalNumber exactNumber(const sql::Literal& literal, const FieldInfo& field,
                          std::string& scratch) {
    DecimalNumber number;
    if (!parseDecimal(numberText(literal, field, scratch), number))
        doesNotFit(literal, field, "it is not a number");
    return number;
}

std::int64_t wholeNumber(const sql::Literal& literal, const FieldInfo& field, std::int64_t limit,
                         std::string& scratch) {
    if (literal.kind == sql::LiteralKind::Boolean) return literal.truth ? 1 : 0;
    const std::string_view raw = literal.raw;
    if (literal.kind == sql::LiteralKind::Number && raw.size() <= 18 && allDigits(raw)) {
        std::int64_t value = 0;
        for (char c : raw) value = value * 10 + (c - '0');
        if (value > limit)
            doesNotFit(literal, field,
                       "it is outside the range -" + std::to_string(limit) + " to " +
                           std::to_string(limit));
        return literal.negative ? -value : value;
    }
    const DecimalNumber number = exactNumber(literal, field, scratch);
    unsigned __int128 magnitude = 0;
    switch (scaledMagnitude(number, 0, static_cast<unsigned __int128>(limit), magnitude)) {
        case Exactness::Fraction:
            doesNotFit(literal, field, "it is not a whole number");
        case Exactness::TooLarge:
            doesNotFit(literal, field,
                       "it is outside the range -" + std::to_string(limit) + " to " +
                           std::to_string(limit));
        case Exactness::Exact:
            break;
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return number.negative ? -value : value;
}

double floatingNumber(const sql::Literal& literal, const FieldInfo& field, std::string& scratch) {
    if (literal.kind == sql::LiteralKind::Boolean) return literal.truth ? 1.0 : 0.0;
    // A double keeps these too, and readers that decode the field's bits read them back.
    if (literal.kind == sql::LiteralKind::Text) {
        if (literal.raw == "NaN") return std::numeric_limits<double>::quiet_NaN();
        if (literal.raw == "Infinity") return std::numeric_limits<double>::infinity();
        if (literal.raw == "-Infinity") return -std::numeric_limits<double>::infinity();
    }
    const std::string_view text = numberText(literal, field, scratch);
    double value = 0;
    if (nearestDouble(text, value)) {
        if (value == 0) {
            DecimalNumber number;
            if (parseDecimal(text, number) && !number.isZero())
                doesNotFit(literal, field,
                           "it is too close to zero for a Number field, which would keep 0");
        }
        return value;
    }
    DecimalNumber number;
    if (!parseDecimal(text, number)) doesNotFit(literal, field, "it is not a number");
    if (number.exponent < 0 && number.digitCount + number.exponent < -300)
        doesNotFit(literal, field,
                   "it is too close to zero for a Number field, which would keep 0");
    doesNotFit(literal, field, "it is outside the range of a Number field (about 1.8E308)");
}

void encodeMoney(const sql::Literal& literal, const FieldInfo& field, std::uint8_t* p,
                 std::string& scratch) {
    if (literal.kind == sql::LiteralKind::Boolean) {
        putDouble(p, literal.truth ? 1.0 : 0.0);
        return;
    }
    std::int64_t units = 0;
    bool negative = literal.negative;
    if (const std::optional<std::int64_t> plain = plainMoney(literal)) {
        units = *plain;
    } else {
        const DecimalNumber number = exactNumber(literal, field, scratch);
        unsigned __int128 magnitude = 0;
        switch (scaledMagnitude(number, 4, static_cast<unsigned __int128>(1) << 62, magnitude)) {
            case Exactness::Fraction:
                doesNotFit(literal, field, "a Money field keeps at most 4 decimal places");
            case Exactness::TooLarge:
                doesNotFit(literal, field, "it is outside the range of a Money field");
            case Exactness::Exact:
                break;
        }
        units = static_cast<std::int64_t>(magnitude);
        negative = number.negative;
    }
    const double value = static_cast<double>(units) / 10000.0;
    if (static_cast<std::int64_t>(std::llround(value * 10000.0)) != units)
        doesNotFit(literal, field,
                   "it has more digits than a Money field (a double) keeps exactly");
    putDouble(p, negative ? -value : value);
}

void encodeBcd(const sql::Literal& literal, const FieldInfo& field, std::uint8_t* p,
               std::string& scratch) {
    const int decimals = field.sizeByte;
    if (literal.kind == sql::LiteralKind::Boolean) {
        unsigned __int128 scaled = literal.truth ? 1 : 0;
        for (int i = 0; i < decimals; ++i) scaled *= 10;
        putBcd(p, false, scaled, decimals);
        return;
    }
    const DecimalNumber number = exactNumber(literal, field, scratch);
    unsigned __int128 limit = 1;
    for (int i = 0; i < kBcdDigits; ++i) limit *= 10;
    unsigned __int128 magnitude = 0;
    switch (scaledMagnitude(number, decimals, limit - 1, magnitude)) {
        case Exactness::Fraction:
            doesNotFit(literal, field,
                       "it has more than " + std::to_string(decimals) + " decimal places");
        case Exactness::TooLarge:
            doesNotFit(literal, field,
                       "it has more than " + std::to_string(kBcdDigits - decimals) +
                           " digits before the decimal point");
        case Exactness::Exact:
            break;
    }
    putBcd(p, number.negative, magnitude, decimals);
}

void encodeLogical(const sql::Literal& literal, const FieldInfo& field, std::uint8_t* p,
                   std::string& scratch) {
    if (literal.kind == sql::LiteralKind::Boolean) {
        putLogical(p, literal.truth);
        return;
    }
    if (literal.kind == sql::LiteralKind::Text) {
        const std::string_view text = trimmed(literalText(literal, scratch));
        for (std::string_view yes : {"true", "yes", "1", "-1"})
            if (text.size() == yes.size() && sameNameIgnoringCase(text, yes))
                return putLogical(p, true);
        for (std::string_view no : {"false", "no", "0"})
            if (text.size() == no.size() && sameNameIgnoringCase(text, no))
                return putLogical(p, false);
        doesNotFit(literal, field, "a Logical field takes TRUE, FALSE, 1, 0 or -1");
    }
    if (literal.kind == sql::LiteralKind::Number) {
        const DecimalNumber number = exactNumber(literal, field, scratch);
        unsigned __int128 magnitude = 0;
        if (scaledMagnitude(number, 0, 1, magnitude) == Exactness::Exact &&
            (magnitude == 1 || !number.negative))
            return putLogical(p, magnitude != 0);
    }
    doesNotFit(literal, field, "a Logical field takes TRUE, FALSE, 1, 0 or -1");
}

db::DateTimeText dateTime(const sql::Literal& literal, const FieldInfo& field,
                          std::string& scratch) {
    if (literal.kind != sql::LiteralKind::Text)
        doesNotFit(literal, field, "dates and times are written as quoted text");
    db::DateTimeText parsed;
    const std::string_view problem = db::parseDateTime(literalText(literal, scratch), parsed);
    if (!problem.empty()) doesNotFit(literal, field, std::string(problem));
    return parsed;
}

std::int64_t millisecondOfDay(const db::CivilDateTime& v) {
    return ((v.hour * 60LL + v.minute) * 60 + v.second) * 1000 + v.millisecond;
}

void encodeTemporal(const sql::Literal& literal, const FieldInfo& field, std::uint8_t* p,
                    std::string& scratch) {
    const db::DateTimeText parsed = dateTime(literal, field, scratch);
    const db::CivilDateTime& v = parsed.value;
    const std::int64_t day = paradoxDayNumber(v.date);
    const std::int64_t ms = millisecondOfDay(v);
    switch (field.type) {
        case FieldType::Date:
            if (!parsed.hasDate) doesNotFit(literal, field, "it has no date");
            if (parsed.hasTime && ms != 0)
                doesNotFit(literal, field,
                           "it has a time of day, which a Date field cannot hold (use TIMESTAMP)");
            putLong(p, static_cast<std::int32_t>(day));
            return;
        case FieldType::Time:
            if (!parsed.hasTime) doesNotFit(literal, field, "it has no time of day");
            if (parsed.hasDate && !(v.date == db::CivilDate{1899, 12, 30}))
                doesNotFit(literal, field,
                           "it has a date, which a Time field cannot hold (use TIMESTAMP)");
            putLong(p, static_cast<std::int32_t>(ms));
            return;
        default:
            putDouble(p, static_cast<double>(day * kMsPerDay + ms));
            return;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of a value for a binary, memo or bytes field.
void valueBytes(const sql::Literal& literal, const FieldInfo& field, const text::CodePage& cp,
                std::string& out) {
    out.clear();
    switch (literal.kind) {
        case sql::LiteralKind::Text:
            toCodePage(literal, field, cp, out);
            return;
        case sql::LiteralKind::Number:
            if (field.type != FieldType::Memo && field.type != FieldType::FormattedMemo &&
                field.type != FieldType::Alpha)
                doesNotFit(literal, field,
                           "binary values are written as X'hex digits' or quoted text");
            if (literal.negative) out.push_back('-');
            out.append(literal.raw);
            return;
        case sql::LiteralKind::Boolean:
            if (field.type != FieldType::Alpha) doesNotFit(literal, field, "it is not a text");
            out = literal.truth ? "True" : "False";
            return;
        case sql::LiteralKind::Hex:
            if (field.type == FieldType::Alpha || field.type == FieldType::Memo ||
                field.type == FieldType::FormattedMemo)
                doesNotFit(literal, field, "a hexadecimal value is not a text");
            if (literal.raw.size() % 2 != 0)
                doesNotFit(literal, field, "a hexadecimal value needs an even number of digits");
            for (std::size_t i = 0; i < literal.raw.size(); i += 2) {
                const int high = hexValue(literal.raw[i]);
                const int low = hexValue(literal.raw[i + 1]);
                if (high < 0 || low < 0)
                    doesNotFit(literal, field,
                               "it has a character that is not a hexadecimal digit");
                out.push_back(static_cast<char>(high * 16 + low));
            }
            return;
        case sql::LiteralKind::Null:
            return;
    }
}

void encodeBlob(const sql::Literal& literal, int fieldIndex, const FieldInfo& field,
                std::uint8_t* p, EncodeContext& context) {
    std::string& bytes = context.text;
    valueBytes(literal, field, *context.codePage, bytes);
    if (bytes.empty()) return;  // blank
    const int leader = field.length - kBlobDescriptorLength;
    std::memcpy(p, bytes.data(), std::min(bytes.size(), static_cast<std::size_t>(leader)));
    putLe32(p + leader + 4, static_cast<std::uint32_t>(bytes.size()));
    if (bytes.size() > static_cast<std::size_t>(leader))
        context.blobs->push_back({fieldIndex, bytes});
}

}  // namespace

void encodeOmitted(const FieldInfo& field, std::uint8_t* record, EncodeContext& context) {
    if (field.type != FieldType::AutoIncrement) return;  // blank
    putLong(record + field.offset, static_cast<std::int32_t>(context.nextAutoIncrement));
    context.autoIncrement = std::max(context.autoIncrement, context.nextAutoIncrement);
}

void encodeLiteral(const sql::Literal& literal, int fieldIndex, const FieldInfo& field,
                   std::uint8_t* record, EncodeContext& context) {
    std::uint8_t* p = record + field.offset;
    if (literal.kind == sql::LiteralKind::Null) return encodeOmitted(field, record, context);
    std::string& scratch = context.text;
    switch (field.type) {
        case FieldType::Alpha: {
            if (literal.kind == sql::LiteralKind::Text) {  // straight into the record
                std::size_t length = 0;
                const auto room = static_cast<std::size_t>(field.length);
                forEachByte(literal, field, *context.codePage, [&](unsigned char b) {
                    if (length < room) p[length] = b;
                    ++length;
                });
                if (length > room) {
                    std::memset(p, 0, room);
                    doesNotFit(literal, field,
                               "the text has " + std::to_string(length) +
                                   " characters, the column holds " + std::to_string(field.length));
                }
                return;
            }
            valueBytes(literal, field, *context.codePage, scratch);
            if (scratch.size() > static_cast<std::size_t>(field.length))
                doesNotFit(literal, field,
                           "the text has " + std::to_string(scratch.size()) +
                               " characters, the column holds " + std::to_string(field.length));
            std::memcpy(p, scratch.data(), scratch.size());
            return;
        }
        case FieldType::Short:
            putShort(p, static_cast<std::int16_t>(wholeNumber(literal, field, 32767, scratch)));
            return;
        case FieldType::Long:
            putLong(p, static_cast<std::int32_t>(wholeNumber(literal, field, 2147483647, scratch)));
            return;
        case FieldType::AutoIncrement: {
            const std::int64_t value = wholeNumber(literal, field, 2147483647, scratch);
            if (value < 1) doesNotFit(literal, field, "autoincrement values start at 1");
            putLong(p, static_cast<std::int32_t>(value));
            context.autoIncrement =
                std::max(context.autoIncrement, static_cast<std::uint32_t>(value));
            return;
        }
        case FieldType::Number:
            putDouble(p, floatingNumber(literal, field, scratch));
            return;
        case FieldType::Currency:
            return encodeMoney(literal, field, p, scratch);
        case FieldType::Bcd:
            return encodeBcd(literal, field, p, scratch);
        case FieldType::Logical:
            return encodeLogical(literal, field, p, scratch);
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::Timestamp:
            return encodeTemporal(literal, field, p, scratch);
        case FieldType::Bytes:
            valueBytes(literal, field, *context.codePage, scratch);
            if (scratch.size() > static_cast<std::size_t>(field.length))
                doesNotFit(literal, field,
                           "the value has " + std::to_string(scratch.size()) +
                               " bytes, the column holds " + std::to_string(field.length));
            std::memcpy(p, scratch.data(), scratch.size());
            return;
        case FieldType::Memo:
        case FieldType::FormattedMemo:
        case FieldType::Blob:
        case FieldType::Ole:
        case FieldType::Graphic:
            return encodeBlob(literal, fieldIndex, field, p, context);
    }
}

}  // namespace velmora::paradox
