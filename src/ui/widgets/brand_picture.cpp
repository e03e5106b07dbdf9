#include "ui/widgets/brand_picture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace ondrel::ui {

QFont productNameFont(int pointSize) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(pointSize);
    font.setBold(true);
    return font;
}

QPixmap brandPicture(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);

    QLinearGradient back(area.topLeft(), area.bottomLeft());
    back.setColorAt(0, QColor(0x1f, 0x3a, 0x5f));
    back.setColorAt(1, QColor(0x0b, 0x1a, 0x2e));
    p.setPen(QPen(QColor(0x8a, 0xa4, 0xc8), 1));
    p.setBrush(back);
    const double radius = size.height() / 8.0;
    p.drawRoundedRect(area, radius, radius);

    // A miniature of the wall panel: two buttons on top, two rows of four below.
    const double unit = size.height() / 10.0;
    const QRectF panel(unit, unit, size.height() * 0.55, size.height() - 2 * unit);
    p.setPen(QPen(QColor(0xd0, 0xd8, 0xe4), 1));
    p.setBrush(QColor(0x2c, 0x4d, 0x7a));
    p.drawRoundedRect(panel, unit / 2, unit / 2);
    const double cell = panel.width() / 4.0;
    const double key = cell * 0.6;
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.setPen(Qt::NoPen);
    auto drawKey = [&](double column, int row) {
        const double x = panel.left() + column * cell + (cell - key) / 2;
        const double y = panel.top() + unit * 0.6 + row * (panel.height() - unit) / 3.0;
        p.drawRoundedRect(QRectF(x, y, key, key * 0.7), key / 5, key / 5);
    };
    drawKey(0.5, 0);
    drawKey(2.5, 0);
    for (int row = 1; row <= 2; ++row)
        for (int column = 0; column < 4; ++column)
            drawKey(column, row);

    // The maker's name beside the miniature.
    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(qMax(6, static_cast<int>(size.height() * 0.22)));
    p.setFont(font);
    p.setPen(Qt::white);
    const QRectF textArea(panel.right() + unit, area.top(), area.right() - panel.right() - 2 * unit,
                          area.height() * 0.62);
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("CORVANE"));
    font.setBold(false);
    font.setPixelSize(qMax(5, static_cast<int>(size.height() * 0.12)));
    p.setFont(font);
    p.setPen(QColor(0xf2, 0xb1, 0x34));
    const QRectF tagArea(textArea.left(), textArea.bottom(), textArea.width(), area.height() * 0.3);
    p.drawText(tagArea, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("control systems"));
    return pixmap;
}

} // namespace ondrel::ui
