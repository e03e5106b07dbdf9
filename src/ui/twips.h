#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>
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

} // namespace ondrel::ui
