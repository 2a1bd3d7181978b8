#include "preview/CaptionedProgressBar.h"

#include <QtMath>
#include <stdexcept>

#include "engine/StatementExecution.h"

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
    rowCount_ = 0;
    askRepaint();
}

void CaptionedProgressBar::setRowCaption(int line, int count) {
    rowLine_ = line;
    rowCount_ = count;
    askRepaint();
}

QString CaptionedProgressBar::text() const {
    return rowCount_ > 0 ? ExecutionProgressText(rowLine_, rowCount_) : caption_;
}

void CaptionedProgressBar::askRepaint() {
    if (repaintAsked_) return;
    repaintAsked_ = true;
    update();
}

void CaptionedProgressBar::paintEvent(QPaintEvent* event) {
    repaintAsked_ = false;
    QProgressBar::paintEvent(event);
}

}  // namespace velmora
