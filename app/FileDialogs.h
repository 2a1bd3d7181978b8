#pragma once
// What the main window's two browse dialogs share with the rest of the program: the
// common dialog's filter text turned into Qt name filters, and the folder dialog.

#include <QString>
#include <QStringList>

class QWidget;

namespace velmora {

// "Description|pattern|Description|pattern|" (the common dialog's filter text) as Qt
// name filters "Description (pattern)"; a dialog with the HideNameFilterDetails option
// then shows each description exactly as written.
QStringList NameFiltersFromDialogFilter(const QString& filter);

// The first of `candidates` that is an existing folder, else the home folder: where
// the browse dialogs open, never in the program's working folder.
QString StartFolder(const QStringList& candidates);

// A modal folder dialog owned by `owner` that shows `prompt` and opens at
// `startFolder` when that folder exists (at the home folder otherwise). Returns the
// chosen folder without a trailing separator, or "" when the user cancels.
QString SelectFolder(QWidget* owner, const QString& prompt, const QString& startFolder);

}  // namespace velmora
