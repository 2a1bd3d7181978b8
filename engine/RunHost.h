#pragma once
// What a conversion run needs from the windows (or the command line, or a test):
// the main window's entries, questions and messages, the progress bar, the busy
// pointer, the SQL Preview window and the event loop. The engine includes no widget
// header; each front end implements these.

#include <QString>

#include "EventPump.h"
#include "MainInputs.h"
#include "Prompts.h"

namespace velmora {

class RunState;

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void setValue(double percent) = 0;  // 0 to 100
    virtual void setCaption(const QString& text) = 0;
    // Execute SQL's caption for one line, "Please wait.. Processing row: <line> of <count>".
    // A bar that shows it only when it repaints may keep the numbers and build the text then.
    virtual void setRowCaption(int line, int count);
};

class BusyPointer {
  public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(bool busy) = 0;
};

class PreviewHost {
  public:
    virtual ~PreviewHost() = default;
    // Shows the SQL Preview window modally over the run's statement list and returns
    // when it closes; the window leaves its outcome in the run state's flags.
    virtual void showPreview(RunState& state) = 0;
};

struct RunHost {
    MainInputs& inputs;
    Prompts& prompts;
    ProgressSink& progress;
    BusyPointer& pointer;
    PreviewHost& preview;
    EventPump& pump;
};

}  // namespace velmora
