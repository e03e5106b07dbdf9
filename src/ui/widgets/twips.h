#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QVariant>
#include <QWidget>
#include <cmath>

namespace ondrel::ui {

// Window layouts are designed in twips; at 96 dpi 15 twips make one pixel.
inline constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline QRect twipsToPixels(const QRectF& twips) {
    return {twipsToPixels(twips.left()), twipsToPixels(twips.top()), twipsToPixels(twips.width()),
            twipsToPixels(twips.height())};
}

inline QSize twipsToPixels(const QSizeF& twips) {
    return {twipsToPixels(twips.width()), twipsToPixels(twips.height())};
}

inline double pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// Places `widget` at a twip geometry and remembers it, so that layouts and tests can read the
// exact design values back without pixel rounding.
inline void placeInTwips(QWidget* widget, const QRectF& twips) {
    widget->setProperty("twipsGeometry", twips);
    widget->setGeometry(twipsToPixels(twips));
}

inline QRectF twipsGeometry(const QWidget* widget) {
    return widget->property("twipsGeometry").toRectF();
}

} // namespace ondrel::ui
