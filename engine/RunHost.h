#pragma once
// What a conversion run needs from the windows (or the command line, or a test):
// the main window's entries, questions and messages, the progress bar, the busy
// pointer, the SQL Preview window and the event loop. The engine includes no widget
// header; each front end implements these.

#include <QString>

#include "common/EventPump.h"
#include "common/MainInputs.h"
#include "common/Progress.h"
#include "common/Prompts.h"

namespace velmora {

class RunState;

class PreviewHost {
  public:
    virtual ~PreviewHost() = default;
    // Shows the SQL Preview window modally over the run's statement list and returns
    // when it closes; the window leaves its outcome in the run state's flags.
    virtual void showPreview(RunState& state) = 0;
    // False for a host that only collects the statements (into a file): a run that ends
    // with them unexecuted has then left nothing out.
    virtual bool executes() const { return true; }
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
