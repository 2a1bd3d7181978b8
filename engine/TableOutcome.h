#pragma once
// What became of one source table in a run: one record for every table the run listed,
// written or not. The final message, the command line's summary, the count of refused
// statements and the verification pass all read these records and nothing else.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/Verification.h"

namespace velmora {

enum class TableResult {
    // Its statements went in, straight away or from a preview. With a preview per file
    // (and with --sql) the statements were collected: "written" then means listed.
    Written,
    PartlyWritten,  // its preview per table was closed after some of its lines had run
    NotExecuted,    // its preview per table was closed without running a line
    Declined,       // kept as it was at the overwrite question
    Unreadable,     // the source table could not be read; an earlier copy stays as it was
    // Not written: DROP TABLE or CREATE TABLE failed, or the target failed part way (disk
    // full, folder or file gone) and the table was left as it was.
    Failed,
    NotReached,  // the run ended before it: Back in a preview, or the target lost or shut
    LeftOut,     // a table of Access's own that holds rows but is no user's (MSysCompactError)
    Cancelled,   // the run was cancelled while it was being written; left as it was
};

struct TableOutcome {
    QString source;
    QString target;    // as written; empty for a table the run did not reach
    QString note;      // why the target name is not the cleaned source name
    int codePage = 0;  // of the table's text; 0 when its rows could not be profiled
    TableResult result = TableResult::NotReached;
    bool read = false;      // the source table was opened for its rows
    bool rowsSent = false;  // its definition went in, and its rows were sent or listed
    std::int64_t rowsInSource = 0;
    std::int64_t rowsRead = 0;  // rows turned into statements
    std::int64_t rowsWritten = 0;
    std::int64_t rowsRefused = 0;  // row statements the target refused
    // Rows the source could not deliver: reported one by one, or, when the source ended
    // before its row count, all at once.
    std::int64_t rowsUnreadable = 0;
    std::int64_t rowsRespelled = 0;  // written with a best-fit spelling (--unmappable replace)
    // Rows a damaged source left out (its pages or values could not be read), and whether
    // that is all of them; pages of a cut-short file it needed that lie past its end.
    std::int64_t rowsLost = 0;
    bool rowsLostKnown = true;
    std::int64_t pagesMissing = 0;
    QStringList fieldsLost;  // left out of every row: the damaged source cannot read them
    // Every statement of the table that the target refused: its rows, and DROP TABLE,
    // CREATE TABLE or CREATE INDEX.
    std::int64_t statementsFailed = 0;
    std::int64_t datesRounded = 0;       // with digits finer than a millisecond: written rounded
    std::int64_t emptyBinaryValues = 0;  // zero-length binary values, written blank
    std::vector<DefinedColumn> columns;  // as the definition wrote them, for verification
    // With the Access keys: how the table is keyed and what became of its indexes.
    bool keyedOnAccess = false;
    int indexesWritten = 0;
    int indexesNotWritten = 0;    // each reported with its reason
    int autoIncrementFields = 0;  // AutoNumber fields written as AUTOINC
    // Where the table's rows are found: its source ordinals in column order, and its key
    // (ordinals, quoted columns) when it is keyed on its Access primary key.
    std::vector<int> columnOrder;
    std::vector<int> keyOrdinals;
    QStringList keyColumns;
    std::optional<TableVerification> verification;  // when the verification pass read it back

    // Written with every row of the source (and, with the Access keys, every index).
    bool complete() const {
        return result == TableResult::Written && rowsRefused == 0 && rowsUnreadable == 0 &&
               rowsLost == 0 && rowsLostKnown && pagesMissing == 0 && fieldsLost.isEmpty() &&
               rowsRead >= rowsInSource && indexesNotWritten == 0;
    }
};

}  // namespace velmora
