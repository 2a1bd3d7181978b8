#include "dataaccess/DateTimeText.h"

namespace velmora::db {

namespace {

struct Scanner {
    std::string_view text;
    std::size_t i = 0;

    bool atEnd() const { return i >= text.size(); }
    char peek() const { return atEnd() ? '\0' : text[i]; }
    // Reads 1..maxDigits digits; the count read goes to `count`.
    bool number(int maxDigits, int& value, int& count) {
        value = 0;
        count = 0;
        while (!atEnd() && text[i] >= '0' && text[i] <= '9' && count < maxDigits) {
            value = value * 10 + (text[i] - '0');
            ++i;
            ++count;
        }
        return count > 0 && !(peek() >= '0' && peek() <= '9');
    }
    void skipSpaces() {
        while (!atEnd() && text[i] == ' ') ++i;
    }
};

bool isDateSeparator(char c) {
    return c == '/' || c == '.' || c == '-';
}
bool isTimeSeparator(char c) {
    return c == ':' || c == '.';
}

std::string_view readTime(Scanner& s, db::CivilDateTime& value) {
    int hour, minute, second = 0, ms = 0, count;
    if (!s.number(2, hour, count)) return "the time is not in the form hh:mm:ss";
    const char separator = s.peek();
    if (!isTimeSeparator(separator)) return "the time is not in the form hh:mm:ss";
    ++s.i;
    if (!s.number(2, minute, count) || count != 2) return "the minutes need two digits";
    if (s.peek() == separator) {
        ++s.i;
        if (!s.number(2, second, count) || count != 2) return "the seconds need two digits";
        if (s.peek() == '.' || s.peek() == ',') {
            ++s.i;
            int fraction;
            if (!s.number(3, fraction, count))
                return "the fraction of a second has more than three digits";
            ms = fraction * (count == 1 ? 100 : count == 2 ? 10 : 1);
        }
    }
    s.skipSpaces();
    if (!s.atEnd()) {
        const std::string_view rest = s.text.substr(s.i);
        const bool am = rest == "AM" || rest == "am";
        const bool pm = rest == "PM" || rest == "pm";
        if (!am && !pm) return "unexpected text after the time";
        if (hour < 1 || hour > 12) return "an AM/PM hour must be between 1 and 12";
        hour = hour % 12 + (pm ? 12 : 0);
        s.i = s.text.size();
    }
    if (hour > 23 || minute > 59 || second > 59) return "the time of day is out of range";
    value.hour = hour;
    value.minute = minute;
    value.second = second;
    value.millisecond = ms;
    return {};
}

int twoDigits(std::string_view text, std::size_t at) {
    const int high = text[at] - '0', low = text[at + 1] - '0';
    return high >= 0 && high <= 9 && low >= 0 && low <= 9 ? high * 10 + low : -1;
}

// The form the statement writer uses, "mm/dd/yyyy", "mm/dd/yyyy hh:mm:ss" or
// "mm/dd/yyyy hh:mm:ss.zzz", read the quick way; false for any other text, and for one in
// this form that names no valid date or time (the full reading says why).
bool readWrittenForm(std::string_view text, DateTimeText& out) {
    if (text.size() != 10 && text.size() != 19 && text.size() != 23) return false;
    if (text[2] != '/' || text[5] != '/') return false;
    const int month = twoDigits(text, 0), day = twoDigits(text, 3);
    const int century = twoDigits(text, 6), yearOfCentury = twoDigits(text, 8);
    if (month < 0 || day < 0 || century < 0 || yearOfCentury < 0) return false;
    const int year = century * 100 + yearOfCentury;
    if (year < 1 || !isValidDate(year, month, day)) return false;
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (text.size() > 10) {
        if (text[10] != ' ' || text[13] != ':' || text[16] != ':') return false;
        hour = twoDigits(text, 11);
        minute = twoDigits(text, 14);
        second = twoDigits(text, 17);
        if (hour < 0 || minute < 0 || second < 0) return false;
        if (hour > 23 || minute > 59 || second > 59) return false;
        if (text.size() == 23) {
            const int tenths = text[20] - '0', rest = twoDigits(text, 21);
            if (text[19] != '.' || tenths < 0 || tenths > 9 || rest < 0) return false;
            ms = tenths * 100 + rest;
        }
    }
    out = DateTimeText();
    out.hasDate = true;
    out.value.date = {year, month, day};
    if (text.size() == 10) return true;
    out.hasTime = true;
    out.value.hour = hour;
    out.value.minute = minute;
    out.value.second = second;
    out.value.millisecond = ms;
    return true;
}

}  // namespace

std::string_view parseDateTime(std::string_view text, DateTimeText& out) {
    if (readWrittenForm(text, out)) return {};
    out = DateTimeText();
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return "the text is empty";
    Scanner s{text};
    int first, second, third, count1, count2, count3;
    if (!s.number(4, first, count1)) return "it does not start with a number";
    const char separator = s.peek();
    // A time alone: "hh:mm", or "hh.mm.ss" where the third part is not a four-digit year.
    bool isTime = separator == ':';
    if (separator == '.') {
        Scanner look = s;
        ++look.i;
        int v, c;
        isTime = !(look.number(2, v, c) && look.peek() == '.' && (++look.i, look.number(4, v, c)) &&
                   c == 4);
    }
    if (isTime) {
        s.i = 0;
        out.hasTime = true;
        out.value.date = {1899, 12, 30};
        return readTime(s, out.value);
    }
    if (!isDateSeparator(separator)) return "it is not a date in the form mm/dd/yyyy";
    ++s.i;
    if (!s.number(2, second, count2) || s.peek() != separator)
        return "it is not a date in the form mm/dd/yyyy";
    ++s.i;
    if (!s.number(4, third, count3)) return "it is not a date in the form mm/dd/yyyy";
    int year, month, day;
    if (count1 == 4 && separator == '-') {  // ISO order
        year = first;
        month = second;
        day = third;
        if (count3 > 2) return "it is not a date in the form yyyy-mm-dd";
    } else {
        if (count1 > 2) return "it is not a date in the form mm/dd/yyyy";
        if (count3 != 4) return "the year needs four digits";
        month = first;
        day = second;
        year = third;
    }
    if (year < 1 || !isValidDate(year, month, day)) return "there is no such date";
    out.hasDate = true;
    out.value.date = {year, month, day};
    if (s.atEnd()) return {};
    if (s.peek() != ' ' && s.peek() != 'T') return "unexpected text after the date";
    ++s.i;
    s.skipSpaces();
    out.hasTime = true;
    return readTime(s, out.value);
}

}  // namespace velmora::db
