#pragma once
// The ports through which a long procedure shows that it is working: the progress bar
// with its caption, and the busy pointer.

#include <QString>

namespace velmora {

// "Please wait... Processing row: <line> of <count>".
QString ExecutionProgressText(int line, int count);

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void setValue(double percent) = 0;  // 0 to 100
    virtual void setCaption(const QString& text) = 0;
    // Execute SQL's caption for one line, "Please wait... Processing row: <line> of <count>".
    // A bar that shows it only when it repaints may keep the numbers and build the text then.
    virtual void setRowCaption(int line, int count);
};

class BusyPointer {
  public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(bool busy) = 0;
};

}  // namespace velmora
