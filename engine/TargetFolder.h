#pragma once
// Rules about the Paradox folder: whether it holds tables, which table names it
// holds, and moving the work to a folder without spaces when the user agrees.

#include <QString>
#include <QStringList>

#include "common/EventPump.h"
#include "common/MainInputs.h"
#include "common/Prompts.h"

namespace velmora {

// True when the Paradox folder itself holds at least one "*.db" file.
bool FolderHasDbFiles(const MainInputs& inputs);

// The table names of the "*.db" files in the Paradox folder and its sub-folders:
// upper-cased file names with every ".DB" removed; names starting with "~" are skipped.
void FillTargetTableList(QStringList& list, const MainInputs& inputs, EventPump& pump);

// When the Paradox folder path holds a space (or, for the sample tables, when the user
// cannot write to their folder), offers to copy its contents to the space-free folder
// "TestDB" and to point the folder box at it.
void CopyDB(bool sample, MainInputs& inputs, Prompts& prompts);

// True when `folder` holds the file `table` + ".db", letter case ignored (tables
// written on other systems often carry upper-case names).
bool TableFileExists(const QString& folder, const QString& table);

}  // namespace velmora
