#include "preview/CaptionedProgressBar.h"

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
    shown_ = Shown::Caption;
    askRepaint();
}

void CaptionedProgressBar::setRowCaption(int line, int count) {
    rowLine_ = line;
    rowCount_ = count;
    shown_ = Shown::Line;
    askRepaint();
}

void CaptionedProgressBar::setTableProgress(const TableProgress& progress) {
    table_ = progress;
    shown_ = Shown::Table;
    askRepaint();
}

QString CaptionedProgressBar::text() const {
    switch (shown_) {
        case Shown::Line:
            return ExecutionProgressText(rowLine_, rowCount_);
        case Shown::Table:
            return TableProgressText(table_);
        case Shown::Caption:
            break;
    }
    return caption_;
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
