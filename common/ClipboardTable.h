#pragma once
// The clipboard helpers: clearing and setting text with retries, and copying the
// checked rows of a table as aligned text.

#include <QString>

#include "common/EventPump.h"

namespace velmora {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual bool tryClear() = 0;
    // `format` 0 means plain text.
    virtual bool trySetText(const QString& text, int format) = 0;
};

// The rows a list shows, for copying.
class ClipboardTable {
  public:
    virtual ~ClipboardTable() = default;
    virtual int tableRows() const = 0;
    virtual int tableColumns() const = 0;
    virtual QString cellText(int row, int column) const = 0;
    // Characters of a cell, without building its text when the list can count faster.
    virtual qsizetype cellLength(int row, int column) const { return cellText(row, column).size(); }
    virtual bool rowChecked(int row) const = 0;
};

// Both retry while the clipboard is held by another program, up to 1000 attempts.
void ClearClipboard(Clipboard& clipboard);
bool SetClipboardText(Clipboard& clipboard, const QString& text, int format);

// Copies the checked rows: cells padded to their column's widest cell, separated by
// TAB, trailing spaces removed, every row ending in CR LF. An empty table leaves the
// clipboard untouched.
void CopyListViewToClipboard(const ClipboardTable& table, Clipboard& clipboard, EventPump& pump);
// The text that CopyListViewToClipboard puts on the clipboard.
QString CheckedRowsText(const ClipboardTable& table, EventPump& pump);

}  // namespace velmora
