#pragma once
// Small helpers that several procedures share.

#include <QString>
#include <QStringList>
#include <optional>

namespace velmora {

// True when the file system entry exists and its modification time can be read.
bool FileExists(const QString& path);
// True for a folder, false for anything else, no value when the entry cannot be read.
std::optional<bool> IsFolder(const QString& path);
// The text after the last path separator.
QString FileNameOf(const QString& path);
// A space-free base folder (ending in a separator) standing in for the root of the
// program's drive: the user's home folder, or /var/tmp/ when that path holds a space.
QString ProgramDriveRoot();
// The product title without words from its end until it has at most 40 characters
// (at least one word always goes); it becomes the application title.
QString ShortTitle(const QString& title);
void SetShortTitle();
// A name (of a table, a field, a file) as messages and reports show it: control characters
// written out (\n, \u001B), so that no name can break a line, forge one or steer a terminal.
QString ShownName(const QString& name);
// Case-insensitive membership test over the items of a list.
bool ListContains(const QStringList& list, const QString& text);

// The folder that holds the running program.
QString ProgramFolder();

}  // namespace velmora
