#include "preview/PreviewWindowHost.h"

#include "preview/Form2.h"

namespace velmora {

void WindowPreviewHost::showPreview(RunState& state) {
    Form2 window(state, owner_);
    window.exec();
}

}  // namespace velmora
