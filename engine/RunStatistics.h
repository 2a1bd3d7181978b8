#pragma once
// What a conversion run did: one record per table it listed, and what concerns the run
// as a whole. Every total is counted from the records.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "engine/TableOutcome.h"
#include "engine/Verification.h"

namespace velmora {

struct RunStatistics {
    // Every table of the source, in the order the run met them; the tables it did not
    // reach come last, in the order the source lists them.
    std::vector<TableOutcome> tables;
    bool verified = false;  // the verification pass ran
    // The preview per file was closed without running to the end, after running this many
    // of its lines.
    bool previewNotExecuted = false;
    int previewLinesRun = 0;
    int previewLines = 0;
    int previewLinesSkipped = 0;  // lines the user skipped in a preview that then ran
    int unshownReports = 0;       // reports the user chose not to see
    QString reportLog;            // the log file holding them, if any
    QString rejectsFile;          // where the refused statements went, if anywhere
    bool rejectsFileFailed = false;
    // Why the run could not start (the source cannot be opened, the folder not created):
    // it then wrote nothing and created nothing.
    QString startFailure;
    bool cancelled = false;  // the run was cancelled

    // Every table written with every row, nothing failed: the run may say "Done.".
    bool complete() const;
    // Why the source's catalogue of tables could not be read whole (empty when it could),
    // and the tables found from their definitions instead.
    QString catalogueDamage;
    QStringList recoveredTables;
    // The source's rules that no statement carries, one line each with the reason (empty
    // unless the run carries rules).
    QStringList schemaReport;
    // Relationships added after the tables (listed, in a preview), and those the target
    // refused.
    int relationshipsAdded = 0;
    int relationshipsRefused = 0;

    int count(TableResult result) const;
    // Tables whose rows were sent (or listed).
    int tablesProcessed() const;
    std::int64_t rowsRead() const;
    std::int64_t rowsWritten() const;
    std::int64_t rowsRefused() const;
    std::int64_t rowsUnreadable() const;
    std::int64_t rowsRespelled() const;
    std::int64_t rowsLost() const;  // those whose number the source could tell
    std::int64_t statementsFailed() const;
    // The verification of each table read back, in the order of the tables.
    std::vector<TableVerification> verification() const;
};

}  // namespace velmora
