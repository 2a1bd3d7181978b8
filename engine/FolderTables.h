#pragma once
// Whether the Paradox folder holds a Paradox table, and why not: what Test Connection
// tells and what Start Converting asks about before creating tables in a folder that
// holds none yet.

#include <QString>

#include "common/Prompts.h"

namespace velmora {

enum class FolderTables {
    NotGiven,    // the folder box is empty
    Missing,     // no such folder
    None,        // a folder without a .db file
    NotParadox,  // .db files, none of them a Paradox table
    Present,     // at least one Paradox table
};

FolderTables ExamineFolderTables(const QString& folder);

// True when the file holds a Paradox table (an encrypted one too), as the target's driver
// tells.
bool IsParadoxTableFile(const QString& path);

// Why the file is no Paradox table the driver would use (a link, not a regular file,
// unreadable, another kind of file); empty when it is one. Never reads through a link.
QString WhyNotAParadoxTable(const QString& path);

// Test Connection's answer for each case.
QString FolderTablesMessage(FolderTables found);

// For a folder without tables: asks whether to create the tables there (and the folder
// itself when it is missing, which the run does once the database has opened). True when
// the user agreed; an empty folder box is only told about.
bool AgreeToNewTables(const QString& folder, FolderTables found, Prompts& prompts);

}  // namespace velmora
