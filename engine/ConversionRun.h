#pragma once
// One conversion run: every user table of the Access database, last listed first,
// into the Paradox folder, as "Start Converting" does it. Its phases:
//  1. the target folder: offer a space-free copy, insist on a table there (or accept a
//     new folder on request), list the tables already there and the source's tables;
//  2. open the source connection and the target connection;
//  3. per source table: its target name, the overwrite question, DROP TABLE, the
//     definition (CREATE TABLE, CREATE INDEX, type mappings), then one INSERT per row;
//  4. every statement goes to the target at once or into the preview's list, which is
//     shown after each table or once after the last;
//  5. when the tables were written, read them back and compare them with the source;
//  6. close both connections and say "Done.", or what the run left out.
// Every step reports its own failure through the error report and the run goes on.

#include <QLocale>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/RunHost.h"
#include "engine/RunState.h"
#include "engine/Verification.h"

namespace velmora {

struct RunOptions {
    // A run ends when the folder holds no Paradox table yet, unless the command line
    // accepts a new, empty folder.
    bool acceptFolderWithoutTables = false;
    // The main window asks instead whether to create the tables there.
    bool askAboutFolderWithoutTables = false;
    // Rows whose text the table's code page cannot hold are written with a best-fit
    // spelling (reported once per table) instead of being refused.
    bool replaceUnmappable = false;
    // Long binary (OLE Object) fields go into BLOB columns with their exact bytes
    // instead of an empty text.
    bool keepBinary = false;
    // After a run that wrote its tables (direct, or a per-file preview that executed its
    // statements), read them back and compare them with the source.
    bool verify = true;
    // Which source tables the run converts (by their Access names); every one when unset.
    std::function<bool(const QString&)> tableWanted;
    // The statements are only collected into a file: the Paradox folder is neither opened
    // nor required to exist or hold tables; it only tells which tables are there already.
    bool statementsOnly = false;
    // Every statement the target refuses also goes to the rejects file in the Paradox
    // folder (engine/RejectsFile.h), which the final message then names.
    bool rejectsBesideTables = false;
    // Added to the final message when rows were refused: how this front end keeps rows
    // whose text their table's code page cannot hold.
    QString refusedRowsHint;
};

// What became of one source table. In the preview modes "written" means listed.
struct TableStatistics {
    QString source;
    QString target;
    QString note;       // why the target name is not the cleaned source name
    int codePage = 0;   // of the table's text; 0 when no definition was made
    bool read = false;  // the source table could be opened
    std::int64_t rowsInSource = 0;
    std::int64_t rowsRead = 0;  // rows turned into statements
    std::int64_t rowsWritten = 0;
    std::int64_t rowsRefused = 0;     // statements the target refused
    std::int64_t rowsUnreadable = 0;  // rows the source could not deliver
};

struct RunStatistics {
    int tablesProcessed = 0;
    std::int64_t rowsDispatched = 0;
    std::int64_t rowsFailed = 0;
    std::vector<TableStatistics> tables;          // in the order the run processed them
    bool verified = false;                        // the verification pass ran
    std::vector<TableVerification> verification;  // per table read, when it ran
    int unshownReports = 0;                       // reports the user chose not to see
    QString reportLog;                            // the log file holding them, if any
    // What the final message names when the run left something out (source names, in
    // the order the run met them).
    int tablesInSource = 0;
    QStringList tablesWritten;        // executed, straight away or from a preview
    QStringList tablesSkipped;        // kept at the overwrite question, unreadable, or not executed
    QStringList tablesNotReached;     // after Back in a per-table preview, or without a target
    QStringList tablesFailed;         // not one statement of the table went in
    QStringList tablesPartlyWritten;  // a per-table preview closed after some lines ran
    bool previewNotExecuted = false;  // the per-file preview closed without running to the end
    int previewLinesRun = 0;          // ... after running this many of its lines
    int previewLines = 0;
    int previewLinesSkipped = 0;  // lines the user skipped in the SQL Preview (they never ran)
    QString rejectsFile;          // where the refused statements went, if anywhere
    bool rejectsFileFailed = false;
};

class ConversionRun {
  public:
    ConversionRun(RunHost& host, RunState& state, QLocale locale = QLocale::system(),
                  RunOptions options = {})
        : host_(host), state_(state), locale_(std::move(locale)), options_(options) {}

    // Returns at once when a run is already under way.
    void start();

    const RunStatistics& statistics() const { return stats_; }

  private:
    RunHost& host_;
    RunState& state_;
    QLocale locale_;
    RunOptions options_;
    RunStatistics stats_;
};

}  // namespace velmora
