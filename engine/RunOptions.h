#pragma once
// The choices a front end makes for a conversion run.

#include <QString>
#include <functional>

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
    std::function<bool(const QString&)> tableWanted = {};
    // The statements are only collected into a file: the Paradox folder is neither opened
    // nor required to exist or hold tables; it only tells which tables are there already.
    bool statementsOnly = false;
    // Every statement the target refuses also goes to the rejects file in the Paradox
    // folder (engine/RejectsFile.h), which the final message then names.
    bool rejectsBesideTables = false;
    // Added to the final message when rows were refused: how this front end keeps rows
    // whose text their table's code page cannot hold.
    QString refusedRowsHint = {};
    // A table of a damaged source is refused whole, with one report, instead of giving the
    // rows that can still be read: for users who want nothing from a damaged table.
    bool strict = false;
    // The tables' rules (required fields, defaults, simple ranges) go into the CREATE TABLE
    // statements; what Paradox cannot hold is listed in the schema report.
    bool accessRules = false;
};

}  // namespace velmora
