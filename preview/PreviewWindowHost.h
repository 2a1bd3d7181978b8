#pragma once
// Shows the SQL Preview window for a conversion run, modally over its owner; a fresh
// window each time, so the remembered error line starts again at 0. Closing the window
// empties the statement list and the type list.

#include <QPointer>
#include <QWidget>

#include "engine/RunHost.h"

namespace velmora {

class WindowPreviewHost final : public PreviewHost {
  public:
    explicit WindowPreviewHost(QWidget* owner) : owner_(owner) {}
    void showPreview(RunState& state) override;

  private:
    QPointer<QWidget> owner_;
};

}  // namespace velmora
