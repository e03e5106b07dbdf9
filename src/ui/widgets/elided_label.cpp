#include "ui/widgets/elided_label.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace ondrel::ui {

bool ElidedLabel::isElided() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
    // The text may have changed since the last resize (setText is not virtual).
    updateToolTip();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateToolTip();
}

bool ElidedLabel::event(QEvent* e) {
    const bool handled = QLabel::event(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::Polish)
        updateToolTip();
    return handled;
}

void ElidedLabel::updateToolTip() {
    const QString tip = isElided() ? text() : QString();
    if (toolTip() != tip)
        setToolTip(tip);
}

} // namespace ondrel::ui
