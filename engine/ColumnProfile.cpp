#include "engine/ColumnProfile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/text/TableCodePages.h"
#include "dataaccess/Calendar.h"

namespace velmora {

namespace {

// Whether the text holds a byte that is not a printable-range ASCII character: a zero
// byte or part of a multi-byte character. Eight bytes at a time, as most texts have none.
bool hasZeroOrNonAscii(const std::string& text) {
    constexpr std::uint64_t kLow = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    const char* at = text.data();
    const char* const end = at + text.size();
    for (; end - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        // A byte's high bit is set in the result when the byte is zero or above 0x7F.
        if (((word - kLow) | word) & kHigh) return true;
    }
    for (; at != end; ++at)
        if (*at == '\0' || static_cast<unsigned char>(*at) >= 0x80) return true;
    return false;
}

void noteText(ColumnProfile& column, const std::string& text, std::uint32_t& codePages) {
    if (!hasZeroOrNonAscii(text)) {  // one character a byte, held by every code page
        const auto characters = static_cast<std::int64_t>(text.size());
        column.longestText = std::max(column.longestText, characters);
        column.longestDoubleByteText = std::max(column.longestDoubleByteText, characters);
        return;
    }
    std::int64_t characters = 0, nonAscii = 0;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80) ++characters;
        if (b >= 0xC0) ++nonAscii;
    }
    column.longestText = std::max(column.longestText, characters);
    if (text.find('\0') != std::string::npos) column.hasZeroCharacter = true;
    column.longestDoubleByteText = std::max(column.longestDoubleByteText, characters + nonAscii);
    if (codePages != 0) codePages &= text::tableCodePagesHolding(text.data(), text.size());
}

void noteInteger(ColumnProfile& column, std::int64_t value) {
    if (!column.hasInteger) {
        column.hasInteger = true;
        column.smallestInteger = column.largestInteger = value;
        return;
    }
    column.smallestInteger = std::min(column.smallestInteger, value);
    column.largestInteger = std::max(column.largestInteger, value);
}

void noteDecimal(ColumnProfile& column, const db::Decimal& value) {
    column.decimalPrecision = std::max(column.decimalPrecision, value.precision);
    column.decimalScale = std::max(column.decimalScale, value.scale);
    unsigned __int128 whole = value.magnitude;
    int significantScale = value.scale;
    for (unsigned __int128 rest = value.magnitude; significantScale > 0 && rest % 10 == 0;
         rest /= 10)
        --significantScale;
    for (int i = 0; i < value.scale; ++i) whole /= 10;
    int integerDigits = 0;
    for (; whole != 0; whole /= 10) ++integerDigits;
    column.decimalIntegerDigits = std::max(column.decimalIntegerDigits, integerDigits);
    column.decimalSignificantScale = std::max(column.decimalSignificantScale, significantScale);
    if (column.inexactInMoney) return;
    // Scaled to ten-thousandths, when no digit is lost.
    unsigned __int128 magnitude = value.magnitude;
    for (int scale = value.scale; scale > 4; --scale) {
        if (magnitude % 10 != 0) {
            column.inexactInMoney = true;
            return;
        }
        magnitude /= 10;
    }
    for (int scale = value.scale; scale < 4; ++scale) {
        if (magnitude > (static_cast<unsigned __int128>(1) << 62)) break;
        magnitude *= 10;
    }
    if (magnitude > (static_cast<unsigned __int128>(1) << 62) ||
        !FitsMoney(static_cast<std::int64_t>(magnitude)))
        column.inexactInMoney = true;
}

void noteNumber(ColumnProfile& column, double number) {
    if (!column.hasNumber) {
        column.hasNumber = true;
        column.smallestNumber = column.largestNumber = number;
    }
    column.smallestNumber = std::min(column.smallestNumber, number);
    column.largestNumber = std::max(column.largestNumber, number);
}

void noteValue(ColumnProfile& column, const db::Value& value, std::uint32_t& codePages) {
    using db::ValueKind;
    switch (value.kind()) {
        case ValueKind::Null:
            ++column.nulls;
            return;
        case ValueKind::Text:
            noteText(column, value.asText(), codePages);
            return;
        case ValueKind::Bytes:  // written as hexadecimal text
            if (value.asBytes().empty()) ++column.emptyBinaryValues;
            column.longestText =
                std::max(column.longestText, static_cast<std::int64_t>(value.asBytes().size()) * 2);
            column.longestDoubleByteText =
                std::max(column.longestDoubleByteText, column.longestText);
            return;
        case ValueKind::Integer:
            noteInteger(column, value.asInt());
            noteNumber(column, static_cast<double>(value.asInt()));
            return;
        case ValueKind::Double:
            if (!std::isfinite(value.asDouble())) ++column.nonFinite;
            noteNumber(column, value.asDouble());
            return;
        case ValueKind::Single:
            if (!std::isfinite(value.asSingle())) ++column.nonFinite;
            noteNumber(column, value.asSingle());
            return;
        case ValueKind::Currency:
            noteNumber(column, static_cast<double>(value.asCurrency().units) / 10000.0);
            column.decimalPrecision = std::max(column.decimalPrecision, 19);
            column.decimalScale = std::max(column.decimalScale, 4);
            column.decimalSignificantScale = std::max(column.decimalSignificantScale, 4);
            column.decimalIntegerDigits = std::max(column.decimalIntegerDigits, 15);
            if (!FitsMoney(value.asCurrency().units)) column.inexactInMoney = true;
            return;
        case ValueKind::Decimal:
            noteDecimal(column, value.asDecimal());
            return;
        case ValueKind::DateTime:
            if (db::finerThanMillisecond(value.asDateTime())) ++column.roundedDateTimes;
            return;
        default:
            return;
    }
}

}  // namespace

bool FitsMoney(std::int64_t units) {
    // Below 2^50 the division and the multiplication back err by less than a quarter of a
    // unit together (each by at most 2^-53 of the value): every such value is kept.
    constexpr std::int64_t kAlwaysKept = std::int64_t{1} << 50;
    if (units > -kAlwaysKept && units < kAlwaysKept) return true;
    constexpr std::int64_t kLimit = std::int64_t{1} << 62;
    if (units > kLimit || units < -kLimit) return false;
    const double value = static_cast<double>(units) / 10000.0;
    return std::llround(value * 10000.0) == units;
}

void ValueNotes::startRow(int columns) {
    if (profile_.columns.size() != static_cast<std::size_t>(columns))
        profile_.columns.resize(static_cast<std::size_t>(columns));
    codePages_ = text::kAllTableCodePages;
}

void ValueNotes::note(int column, const db::Value& value) {
    noteValue(profile_.columns[static_cast<std::size_t>(column)], value, codePages_);
}

void ValueNotes::endRow() {
    if (lastCodePages_ == profile_.rowsByCodePages.end() || lastCodePages_->first != codePages_)
        lastCodePages_ = profile_.rowsByCodePages.try_emplace(codePages_).first;
    ++lastCodePages_->second;
    ++profile_.rows;
}

TableProfile ProfileRows(db::Recordset& rows, const std::function<bool()>& goOn) {
    TableProfile profile;
    profile.columns.resize(static_cast<std::size_t>(rows.fields().count()));
    const std::int64_t total = rows.recordCount();
    std::int64_t unreadable = 0;
    ValueNotes notes(profile);
    while (!rows.eof() && !rows.bof()) {
        if (goOn && !goOn()) return profile;
        const db::Fields& fields = rows.fields();
        notes.startRow(fields.count());
        for (int i = 0; i < fields.count(); ++i) notes.note(i, fields.item(i).value());
        notes.endRow();
        // A row that cannot be read is left to the transfer, which reports it; a reader
        // that stays stuck ends the pass at the row count.
        for (;;) {
            try {
                rows.moveNext();
                break;
            } catch (const std::exception&) {
                if (profile.rows + ++unreadable >= total) return profile;
            }
        }
    }
    return profile;
}

}  // namespace velmora
