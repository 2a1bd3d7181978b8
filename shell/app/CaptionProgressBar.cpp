#include "CaptionProgressBar.h"

namespace velmora {

CaptionProgressBar::CaptionProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void CaptionProgressBar::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

}  // namespace velmora
