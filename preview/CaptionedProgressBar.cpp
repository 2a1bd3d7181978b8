#include "CaptionedProgressBar.h"

#include <QtMath>
#include <stdexcept>

namespace velmora {

CaptionedProgressBar::CaptionedProgressBar(const QString& caption, QWidget* parent)
    : QProgressBar(parent), caption_(caption) {
    setRange(0, kSteps);
    QProgressBar::setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void CaptionedProgressBar::setValue(double percent) {
    if (!(percent >= 0 && percent <= 100)) throw std::out_of_range("Invalid property value");
    value_ = percent;
    QProgressBar::setValue(qRound(percent * kSteps / 100));
}

void CaptionedProgressBar::setCaption(const QString& text) {
    caption_ = text;
    update();
}

}  // namespace velmora
