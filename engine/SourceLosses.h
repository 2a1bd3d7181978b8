#pragma once
// What a damaged source could not give of a table, as the run tells it: once per table,
// the rows left out as ranges of their TVXIDs with the reason ("rows 1,024 to 2,047: data
// page 2119 lies past the end of the file"), and what the source could not read of its
// list of tables.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "dataaccess/Damage.h"

namespace velmora {

struct TableLosses {
    std::int64_t rows = 0;          // rows lost whose number is known
    bool countKnown = true;         // false: an unknown number more
    std::int64_t pagesMissing = 0;  // pages lying past the end of a cut-short file
    QStringList ranges;             // one text per range, in row order
    QStringList columns;            // left out of every row
    QString columnsReason;
    bool any() const { return !ranges.isEmpty() || !columns.isEmpty(); }
};

TableLosses SummarizeLosses(const std::vector<db::LostRows>& lost,
                            const db::LostColumns& lostColumns);

// "rows 1,024 to 2,047: <reason>", "row 17: <reason>", or "an unknown number of rows from
// row 1,024 on: <reason>".
QString LossRange(const db::LostRows& loss);

// The table's one report: the columns left out, how many rows were left out, and the
// first ranges.
QString LossReport(const QString& table, std::int64_t rowsInSource, const TableLosses& losses);

// The report that the catalogue of tables is damaged, naming the tables found without it.
QString CatalogueDamageReport(const QString& file, const db::SourceDamage& damage);

// "fields "A", "B", left out of every row: <reason>", as --rejects notes them.
QString LostFieldsNote(const TableLosses& losses);

// Why strict reading copies nothing of a table: the first thing lost, or that the table
// was found from its definition because the catalogue is damaged.
QString StrictRefusal(const QString& table, const QString& file, const TableLosses& losses,
                      bool recovered);

// A count with its thousands grouped by commas, as the reports write row numbers.
QString GroupedCount(std::int64_t n);

}  // namespace velmora
