#pragma once
// Drives the main window offscreen as a user would: the Access file typed in, the
// Paradox folder chosen, "Start Converting" pressed, every message box answered with
// Yes or OK the moment it shows.

#include <QString>

namespace velmora::bench {

struct WindowRun {
    double seconds = 0;  // from the press to the final message (or to the preview)
    bool cancelled = false;
    int statements = 0;  // per-file preview only: the statements the preview received
    QString finalMessage;
};

// A direct conversion of `accessFile` into the new, empty folder `paradoxFolder`.
WindowRun ConvertInWindow(const QString& accessFile, const QString& paradoxFolder);

// A direct conversion of `accessFile` over the tables already in `paradoxFolder` (every
// overwrite answered Yes), cancelled with the Cancel button once the progress bar reaches
// `percent` of the first table's rows: `seconds` runs from the press to the final message.
WindowRun CancelInWindow(const QString& accessFile, const QString& paradoxFolder, int percent);

// A per-file SQL Preview of `accessFile`: the time until the preview is shown with
// every statement; the preview is then closed without executing.
WindowRun BuildPerFilePreviewInWindow(const QString& accessFile, const QString& paradoxFolder);

}  // namespace velmora::bench
