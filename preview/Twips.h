#pragma once
// Window layouts are drawn in twips, 15 to a pixel at 96 dots per inch.

#include <QRect>
#include <QSize>
#include <QWidget>

namespace velmora {

constexpr int TwipsToPixels(int twips) {
    return (twips + 7) / 15;
}

inline QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

inline void PlaceInTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsRect(left, top, width, height));
}

inline QSize TwipsSize(int width, int height) {
    return {TwipsToPixels(width), TwipsToPixels(height)};
}

}  // namespace velmora
