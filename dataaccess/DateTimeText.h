#pragma once
// Date and time texts as statements carry them: month first ("03/05/2021",
// "03/05/2021 14:05:09"), with "/", "." or "-" between the date parts and ":" or "."
// between the time parts; also "2021-03-05" and a time alone ("14:05", "2:05:09 PM").
// The writer of statements and the driver that reads them share this one reading.

#include <string_view>

#include "dataaccess/Calendar.h"

namespace velmora::db {

struct DateTimeText {
    bool hasDate = false;
    bool hasTime = false;
    CivilDateTime value;  // date 1899-12-30 when the text holds a time alone
};

// Empty result on success, otherwise why the text is not a valid date or time.
std::string_view parseDateTime(std::string_view text, DateTimeText& out);

}  // namespace velmora::db
