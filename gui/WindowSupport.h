#pragma once
// What every window of the program shares: the window colours, the hand cursor read
// from HAND-M.CUR, the pointer rules (hand over buttons, default elsewhere, the busy
// pointer never replaced by movement), the clipboard, the desktop's opener and the
// event pump.

#include <QCursor>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

#include "common/ClipboardTable.h"
#include "common/DesktopOpener.h"
#include "common/EventPump.h"
#include "common/Progress.h"
#include "common/UiNames.h"

namespace velmora {

// The one font of every window and message box: Arial 9 point (served by its metric
// twin Liberation Sans on Debian), bold where the design says so.
QFont WindowFont(bool bold = false);

// A widget made for a window, given the object name tests and settings find it by.
template <typename W>
W* named(W* widget, UiName name) {
    widget->setObjectName(name);
    return widget;
}

// Window and its option buttons, check boxes, frames and labels take the button-face colour.
void ResetFormColors(QWidget* window);

// A Windows cursor file with its hotspot, which Qt's reader ignores; no value when the
// file cannot be read.
std::optional<QCursor> LoadCursorFile(const QString& path);
QString HandCursorPath();  // HAND-M.CUR in the program folder

// Switches the window's pointer between the hand cursor over push buttons and the
// default pointer elsewhere, never while the window shows the busy pointer.
class PointerRules final : public QObject, public BusyPointer {
    Q_OBJECT
  public:
    explicit PointerRules(QWidget* window);
    void setHandCursor(const QCursor& cursor) { hand_ = cursor; }
    bool hasHandCursor() const { return hand_.has_value(); }
    void setBusy(bool busy) override;
    bool busy() const { return busy_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void watch(QObject* object);
    QPointer<QWidget> window_;
    std::optional<QCursor> hand_;
    bool busy_ = false;
    // Widgets with a pointer of their own (text boxes) and that pointer, while busy.
    QList<std::pair<QPointer<QWidget>, QCursor>> ownPointers_;
};

class SystemClipboard final : public Clipboard {
  public:
    bool tryClear() override;
    bool trySetText(const QString& text, int format) override;
};

// Starts `xdg-open` detached with its output sent to the null device; the link is
// handed over exactly as given, nothing percent-encoded.
class XdgOpener final : public DesktopOpener {
  public:
    void open(const QString& target) override;
};

class QtEventPump final : public EventPump {
  protected:
    void processEvents() override;
};

}  // namespace velmora
