#include "engine/ValueLiterals.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "dataaccess/Calendar.h"
#include "dataaccess/DateTimeText.h"
#include "engine/NumberFormat.h"

namespace velmora {

namespace {

// The first character of a locale pattern that is neither a letter nor a blank.
QChar separatorOf(const QString& pattern, QChar fallback) {
    for (QChar c : pattern)
        if (!c.isLetter() && !c.isSpace() && c != u'\'') return c;
    return fallback;
}

// The locale's separators when the driver reads a literal written with them back to
// the same instant, "/" and ":" otherwise: some locales' patterns carry formatting
// marks (a right-to-left mark, a combining sign) where the separator would be.
std::pair<QChar, QChar> acceptedSeparators(QChar date, QChar time) {
    const auto reads = [](QChar d, QChar t) {
        const std::string text =
            (QStringLiteral("03") + d + QStringLiteral("05") + d + QStringLiteral("2021 14") + t +
             QStringLiteral("05") + t + QStringLiteral("09"))
                .toStdString();
        db::DateTimeText parsed;
        const db::CivilDateTime& v = parsed.value;
        return db::parseDateTime(text, parsed).empty() && parsed.hasDate && parsed.hasTime &&
               v.date.year == 2021 && v.date.month == 3 && v.date.day == 5 && v.hour == 14 &&
               v.minute == 5 && v.second == 9;
    };
    if (!reads(date, u':')) date = u'/';
    if (!reads(date, time)) time = u':';
    return {date, time};
}

// Lets `write` put at most `room` bytes straight into `out` and returns where it ended.
// Digits written into a buffer of their own and then copied would be read back before
// their small stores reach the cache, stalling the copy (as often as a row has values).
template <typename Write>
void appendWritten(std::string& out, std::size_t room, const Write& write) {
    const std::size_t size = out.size();
    out.resize(size + room);
    const char* end = write(out.data() + size);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

template <typename T>
std::string shortest(T value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// NaN and the infinities are no number literals: the Paradox driver takes them quoted.
void appendFloating(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += '\'' + shortest(value) + '\'';
        return;
    }
    appendWritten(out, kNumberTextRoom, [value](char* at) { return WriteShortest(at, value); });
}

// As Currency::toString writes it (no trailing zeros), without its temporary strings.
void appendCurrency(std::string& out, std::int64_t units) {
    const bool negative = units < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    appendWritten(out, 26, [&](char* at) {
        if (negative) *at++ = '-';
        at = std::to_chars(at, at + 20, magnitude / 10000).ptr;
        auto fraction = static_cast<unsigned>(magnitude % 10000);
        if (fraction == 0) return at;
        int digits = 4;
        for (; fraction % 10 == 0; fraction /= 10) --digits;
        *at++ = '.';
        char* const end = at + digits;
        for (char* digit = end; digit != at; fraction /= 10)
            *--digit = static_cast<char>('0' + fraction % 10);
        return end;
    });
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '\'';
    for (std::size_t quote; (quote = text.find('\'')) != std::string_view::npos;) {
        out.append(text.substr(0, quote + 1));
        out += '\'';
        text.remove_prefix(quote + 1);
    }
    out.append(text);
    out += "', ";
}

std::string hexText(const db::Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

char* putTwoDigits(char* at, int value) {
    at[0] = static_cast<char>('0' + value / 10 % 10);
    at[1] = static_cast<char>('0' + value % 10);
    return at + 2;
}

char* putText(char* at, const std::string& text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

}  // namespace

std::string NumberText(double value) {
    return shortest(value);
}
std::string NumberText(float value) {
    return shortest(value);
}

LiteralWriter::LiteralWriter(const QLocale& locale) : locale_(locale) {
    std::tie(dateSeparator_, timeSeparator_) =
        acceptedSeparators(separatorOf(locale.dateFormat(QLocale::ShortFormat), u'/'),
                           separatorOf(locale.timeFormat(QLocale::ShortFormat), u':'));
    dateSep_ = QString(dateSeparator_).toStdString();
    timeSep_ = QString(timeSeparator_).toStdString();
}

std::string LiteralWriter::dateLiteral(const db::DateTime& value) const {
    std::string text;
    appendDate(text, value);
    return text;
}

void LiteralWriter::appendDate(std::string& text, const db::DateTime& value, bool quoted) const {
    // A Paradox Timestamp holds the years 1 to 9999 (Access's Date/Time the years 100 to
    // 9999, Date/Time Extended all of them); a value outside them (or not a number) has no
    // date to write, and the arithmetic below would overflow on it.
    // Before 1899-12-30 the time of day counts away from zero: 1 January of year 1 is
    // day -693593, and every serial down to (not including) -693594 lies on it.
    constexpr double kBeforeFirstSerial = -693594.0;
    constexpr double kEndSerial = 2958466.0;  // 1 January 10000
    if (!(value.serial > kBeforeFirstSerial && value.serial < kEndSerial))
        throw std::range_error("The date/time value " + shortest(value.serial) +
                               " (days since 30 December 1899) lies outside the years 1 to "
                               "9999 and cannot be written as a date.");
    // Rounded to the millisecond, which is what the serial holds and a Timestamp keeps.
    constexpr std::int64_t kMsPerDay = 86400000;
    // Named, not bound: clang 14 cannot capture structured bindings in a lambda.
    const db::SerialDay serial = db::splitSerial(value.serial);
    std::int64_t days = serial.days;
    std::int64_t ms = serial.millisecond;
    static const std::int64_t kZeroDate = db::daysFromCivil({1899, 12, 30});
    static const std::int64_t kPastCalendar = db::daysFromCivil({10000, 1, 1});
    if (days + kZeroDate >= kPastCalendar) {
        days = kPastCalendar - 1 - kZeroDate;
        ms = kMsPerDay - 1;  // the last millisecond, not a day past the calendar
    }
    const std::int64_t seconds = ms / 1000;
    const db::CivilDate date = db::civilFromDays(days + kZeroDate);
    // Digits, blanks and four separators of at most three bytes each.
    appendWritten(text, 40, [&](char* at) {
        if (quoted) *at++ = '\'';
        at = putTwoDigits(at, date.month);
        at = putText(at, dateSep_);
        at = putTwoDigits(at, date.day);
        at = putText(at, dateSep_);
        // Years 1 to 9999: four digits, leading zeros below 1000.
        at = putTwoDigits(at, date.year / 100);
        at = putTwoDigits(at, date.year % 100);
        if (ms != 0 || days == 0) {
            *at++ = ' ';
            at = putTwoDigits(at, static_cast<int>(seconds / 3600));
            at = putText(at, timeSep_);
            at = putTwoDigits(at, static_cast<int>(seconds / 60 % 60));
            at = putText(at, timeSep_);
            at = putTwoDigits(at, static_cast<int>(seconds % 60));
            if (ms % 1000 != 0) {
                *at++ = '.';
                *at++ = static_cast<char>('0' + ms % 1000 / 100);
                at = putTwoDigits(at, static_cast<int>(ms % 100));
            }
        }
        if (quoted) *at++ = '\'';
        return at;
    });
}

void LiteralWriter::appendInteger(std::string& out, std::int64_t value) {
    appendWritten(out, 20, [value](char* at) { return std::to_chars(at, at + 20, value).ptr; });
}

void LiteralWriter::appendNumeric(std::string& out, const db::Value& value) const {
    using db::ValueKind;
    switch (value.kind()) {
        case ValueKind::Null:
            out += "NULL, ";
            return;
        case ValueKind::Boolean:
            out += value.asBool() ? "1, " : "0, ";
            return;
        case ValueKind::Integer:
            appendInteger(out, value.asInt());
            break;
        case ValueKind::Single:  // the float's own value, which a Number field holds exactly
            appendFloating(out, static_cast<double>(value.asSingle()));
            break;
        case ValueKind::Double:
            appendFloating(out, value.asDouble());
            break;
        case ValueKind::Currency:
            appendCurrency(out, value.asCurrency().units);
            break;
        case ValueKind::Decimal:
            out += value.asDecimal().toString();
            break;
        case ValueKind::Text: {
            // A text in a numeric field: written as it reads, with a decimal point.
            const QString text = QString::fromStdString(value.asText());
            if (text.isEmpty()) {
                out += "NULL, ";
                return;
            }
            if (text == QLatin1String("True") || text == QLatin1String("False")) {
                out += text == QLatin1String("True") ? "1, " : "0, ";
                return;
            }
            bool number = false;
            locale_.toDouble(text, &number);
            out += number ? QString(text).replace(u',', u'.').toStdString() : value.asText();
            break;
        }
        case ValueKind::DateTime:
            appendDate(out, value.asDateTime(), true);
            break;
        case ValueKind::Guid:
            out += value.asGuid().toString();
            break;
        case ValueKind::Bytes:  // a hexadecimal literal, for a binary column
            if (value.asBytes().empty()) {
                out += "NULL, ";
                return;
            }
            out += "X'" + hexText(value.asBytes()) + '\'';
            break;
    }
    out += ", ";
}

void LiteralWriter::appendText(std::string& out, const db::Value& value) const {
    using db::ValueKind;
    switch (value.kind()) {
        case ValueKind::Null:
            out += "NULL, ";
            return;
        case ValueKind::Text:
            if (value.asText().empty())
                out += "NULL, ";
            else
                appendQuoted(out, value.asText());
            return;
        case ValueKind::DateTime:  // holds no apostrophe
            appendDate(out, value.asDateTime(), true);
            out += ", ";
            return;
        case ValueKind::Boolean:
            appendQuoted(out, value.asBool() ? "True" : "False");
            return;
        case ValueKind::Guid:
            appendQuoted(out, value.asGuid().toString());
            return;
        case ValueKind::Bytes:
            if (value.asBytes().empty())
                out += "NULL, ";
            else
                appendQuoted(out, hexText(value.asBytes()));
            return;
        default: {
            std::string number;
            appendNumeric(number, value);
            number.resize(number.size() - 2);
            appendQuoted(out, number);
            return;
        }
    }
}

}  // namespace velmora
