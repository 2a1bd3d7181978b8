#pragma once
// The code page a new table is written in, and names and texts spelled so that it
// holds them.

#include <QString>

#include "dataaccess/Recordset.h"
#include "engine/ColumnProfile.h"

namespace velmora {

// The code page that holds every row and name of the table (its target name and the
// record set's field names), else the one holding the most rows (see
// text::chooseTableCodePage).
int ChooseCodePage(const TableProfile& profile, const QString& targetName,
                   const db::Recordset& rows);

// The text as the code page can hold it: letters without their accents where the code
// page lacks the accented one (Ü to U), anything else it lacks as `missing`.
QString BestFitSpelling(const QString& text, int codePage, QChar missing);
inline QString BestFitName(const QString& name, int codePage) {
    return BestFitSpelling(name, codePage, u'_');
}

// Whether the code page holds every character of a UTF-8 text.
bool CodePageHolds(int codePage, const std::string& utf8);

}  // namespace velmora
