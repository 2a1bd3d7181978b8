#include "common/ClipboardTable.h"

#include <vector>

namespace velmora {

namespace {
constexpr int kAttempts = 1000;
}

void ClearClipboard(Clipboard& clipboard) {
    for (int attempt = 0; attempt < kAttempts; ++attempt)
        if (clipboard.tryClear()) return;
}

bool SetClipboardText(Clipboard& clipboard, const QString& text, int format) {
    for (int attempt = 0; attempt < kAttempts; ++attempt)
        if (clipboard.trySetText(text, format)) return true;
    return false;
}

QString CheckedRowsText(const ClipboardTable& table, EventPump& pump) {
    const int rows = table.tableRows();
    const int columns = table.tableColumns();
    // Widths are counted in full (no 16-bit limit): a statement may be longer than 32767.
    std::vector<qsizetype> widths(static_cast<std::size_t>(columns), 0);
    // The last column is never padded, so its width is not needed.
    for (int c = 0; c + 1 < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            pump.yield();
            widths[c] = std::max(widths[c], table.cellLength(r, c));
        }
    }
    QString text;
    for (int r = 0; r < rows; ++r) {
        pump.yield();
        if (!table.rowChecked(r)) continue;
        const qsizetype rowStart = text.size();
        for (int c = 0; c < columns; ++c) {
            pump.yield();
            const QString cell = table.cellText(r, c);
            text += cell;
            // The last cell's padding would only be trimmed away again.
            if (c + 1 == columns) break;
            text += QString(widths[c] - cell.size(), u' ');
            text += u'\t';
        }
        qsizetype end = text.size();
        while (end > rowStart && text.at(end - 1) == u' ') --end;
        text.truncate(end);
        text += QStringLiteral("\r\n");
    }
    return text;
}

void CopyListViewToClipboard(const ClipboardTable& table, Clipboard& clipboard, EventPump& pump) {
    if (table.tableRows() == 0) return;
    const QString text = CheckedRowsText(table, pump);
    ClearClipboard(clipboard);
    SetClipboardText(clipboard, text, 0);
}

}  // namespace velmora
