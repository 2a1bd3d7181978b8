#pragma once
// Listings of sub-folders and files that the target-folder rules use. Paths handed
// to the sub-folder walk end with a separator, and so does every folder it appends.

#include <QString>
#include <QStringList>

#include "common/EventPump.h"

namespace velmora {

// Appends the sub-folders of the folders in `folders` (one level, or every level when
// `recurse` is set) level by level. Symbolic links to folders are neither listed nor
// entered, so a link loop cannot make the walk run away. Folders whose sub-folders
// cannot be read for lack of permission, or that are gone, are removed silently.
void GetSubDirectories2016(QStringList& folders, bool recurse, EventPump& pump);

// The regular files of `folder` (hidden ones included) whose names match `pattern`
// ("*" and "?" wildcards, letter case ignored), in the order the file system lists them.
QStringList ListFiles(const QString& folder, const QString& pattern);

// True when `path` opens as an existing regular file without asking for any access right.
bool FileIsOpenable(const QString& path);

// True for a name holding a control character, a code from 127 to 159, "?", or a
// character that Windows-1252 (the code page of the Paradox tables) cannot hold.
bool IsUnsafeFolderName(const QString& name);

// Longest path the walk enters (the platform's path limit).
inline constexpr int kPathLimit = 4096;

}  // namespace velmora
