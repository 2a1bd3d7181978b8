#include "preview/PreviewWindowHost.h"

#include "preview/PreviewWindow.h"

namespace velmora {

void WindowPreviewHost::showPreview(RunState& state) {
    {
        PreviewWindow window(state, owner_);
        window.exec();
    }
    state.previewLinesRun = state.statements.executedCount();
    state.previewLines = state.statements.count();
    // Lines skipped in a list that then ran to its end are what the run left out.
    if (state.previewExecuted) state.previewLinesSkipped += state.statements.skippedCount();
    // However the window closed, its statements are done with: a later preview, of this
    // run or the next, shows only what was generated for it.
    state.statements.clear();
    state.typeMappings.clear();
}

}  // namespace velmora
