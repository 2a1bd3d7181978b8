#pragma once
// What the values of a source table need, gathered in a first read pass before the
// table definition: the definition then keeps the usual column type wherever every
// value fits it exactly, and widens only the columns whose values would not.

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "dataaccess/Recordset.h"

namespace velmora {

struct ColumnProfile {
    // Text as written into the table: the longest value in characters, and the same
    // counting every non-ASCII character twice (an upper bound of its double-byte size).
    std::int64_t longestText = 0;
    std::int64_t longestDoubleByteText = 0;
    bool hasZeroCharacter = false;  // an Alpha field ends its text at a zero byte
    bool hasInteger = false;
    std::int64_t smallestInteger = 0;
    std::int64_t largestInteger = 0;
    // A Currency or Decimal that a Money field (a double of ten-thousandths) cannot hold.
    bool inexactInMoney = false;
    int decimalPrecision = 0;
    int decimalScale = 0;
    int decimalIntegerDigits = 0;     // digits before the point
    int decimalSignificantScale = 0;  // decimals without trailing zeros
    std::int64_t nonFinite = 0;       // NaN and infinities
    // Dates with digits finer than the millisecond a Timestamp keeps (written rounded).
    std::int64_t roundedDateTimes = 0;
    // Zero-length binary values: a Paradox field holds none, so they are written blank.
    std::int64_t emptyBinaryValues = 0;
    // For the rules a column can carry: rows without a value, and the range of the
    // numbers (integers, doubles, singles and currency; close enough to test a bound).
    std::int64_t nulls = 0;
    bool hasNumber = false;
    double smallestNumber = 0;
    double largestNumber = 0;
};

struct TableProfile {
    std::vector<ColumnProfile> columns;
    std::int64_t rows = 0;
    // Rows by the set of table code pages that hold all of their text (a mask of
    // text::kTableCodePages).
    std::map<std::uint32_t, std::int64_t> rowsByCodePages;
};

// Notes rows value by value while they are read for another purpose: each value of a
// row, in any column order, then the end of the row.
class ValueNotes {
  public:
    explicit ValueNotes(TableProfile& profile) : profile_(profile) {}
    ValueNotes(const ValueNotes&) = delete;
    ValueNotes& operator=(const ValueNotes&) = delete;

    // Before the first value of a row with `columns` columns.
    void startRow(int columns);
    void note(int column, const db::Value& value);
    void endRow();

  private:
    TableProfile& profile_;
    std::uint32_t codePages_ = 0;
    // The entry of the last row's code pages: rows mostly hold the same ones as the row
    // before, so the map is searched only when they change.
    std::map<std::uint32_t, std::int64_t>::iterator lastCodePages_ = profile_.rowsByCodePages.end();
};

// Reads every row of a freshly opened record set, leaving it at its end. `goOn`, when
// given, is asked before each row; the pass stops part way when it says false.
TableProfile ProfileRows(db::Recordset& rows, const std::function<bool()>& goOn = {});

// Whether a Money field keeps this many ten-thousandths exactly.
bool FitsMoney(std::int64_t tenThousandths);

}  // namespace velmora
