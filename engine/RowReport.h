#pragma once
// What a report about one row says: the table, the row number (its TVXID) and the
// first columns' source values, so that the user can find the row in Access.

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dataaccess/Recordset.h"
#include "dataaccess/Value.h"

namespace velmora {

// A source value as a report shows it: NULL, a number, or a quoted text cut at 40
// characters with control characters escaped.
QString ReportedValue(const db::Value& value);

// "table "T", row TVXID n (A=1, B='x', C=NULL)": the first three columns of the
// current row, or no values when the row cannot be read.
QString RowDescription(const QString& table, std::int64_t row, const db::Recordset& rows);

// The same from values kept aside, for a row whose statement is answered after the
// source has moved on: the names and values of the columns a report shows.
std::vector<std::string> ShownColumnNames(const db::Recordset& rows);
void KeepShownValues(const db::Recordset& rows, std::vector<db::Value>& values);
QString RowDescription(const QString& table, std::int64_t row,
                       const std::vector<std::string>& names, const std::vector<db::Value>& values);

// A report's row read back from its description, whose last line is a row description
// after a verdict ("Refused: table "T", row TVXID 17 (A=1)"), for front ends that show
// reports in their own form.
struct ReportedRow {
    QString verdict;  // "Refused", "Not read and left out"
    QString table;
    std::int64_t tvxid = 0;
    QString values;  // "A=1, B='x'"; empty when none were shown
    QString reason;  // the description's other lines, joined by blanks
};
std::optional<ReportedRow> ReportedRowOf(const QString& description);

// Rethrows the exception in flight as a db::DbError whose description ends with
// `context` on a line of its own (and keeps its number).
[[noreturn]] void RethrowWithContext(const QString& context);

}  // namespace velmora
