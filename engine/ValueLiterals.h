#pragma once
// Writes source values as SQL literals ("value pieces", each ending in ", ").
// Numbers keep every digit and read back to the same value (a Single as the double it
// equals); dates keep four-digit years and their milliseconds, month first, with the
// user's date and time separators where the driver reads them ("/" and ":" otherwise);
// text keeps every character, apostrophes doubled.

#include <QLocale>
#include <QString>
#include <string>

#include "dataaccess/Value.h"

namespace velmora {

class LiteralWriter {
  public:
    explicit LiteralWriter(const QLocale& locale);

    // A field written without quotes: NULL, 1 or 0 for Yes/No, the number, or bytes as
    // a hexadecimal literal X'...'.
    void appendNumeric(std::string& out, const db::Value& value) const;
    // A field written as a quoted literal: NULL for Null and empty text, dates with the
    // two date patterns, anything else as its text.
    void appendText(std::string& out, const db::Value& value) const;
    // The digits of a whole number, alone.
    static void appendInteger(std::string& out, std::int64_t value);
    // Long binary data is not transferred: an empty text literal.
    static void appendBinary(std::string& out) { out += "'', "; }

    // "mm/dd/yyyy", "mm/dd/yyyy hh:nn:ss" or "mm/dd/yyyy hh:nn:ss.zzz" with the accepted
    // separators, rounded to the millisecond; the long form when the value has a time of
    // day or lies on the zero date (30 December 1899).
    std::string dateLiteral(const db::DateTime& value) const;
    // The same appended to `out`, in apostrophes when `quoted`; nothing when it throws.
    void appendDate(std::string& out, const db::DateTime& value, bool quoted = false) const;

    QChar dateSeparator() const { return dateSeparator_; }
    QChar timeSeparator() const { return timeSeparator_; }

  private:
    QLocale locale_;
    QChar dateSeparator_;
    QChar timeSeparator_;
    std::string dateSep_;
    std::string timeSep_;
};

// Shortest texts that read back to exactly the same number.
std::string NumberText(double value);
std::string NumberText(float value);

}  // namespace velmora
