#include "ui/widgets/window_placement.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace ondrel::ui {

namespace {

// A typical title bar and border, for windows the window manager has not framed yet.
constexpr QMargins kAssumedFrame(4, 30, 4, 4);

void fitSizeIntoWorkArea(QWidget* window);

class WindowFitter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->isWindow() || w->windowType() == Qt::Popup ||
            w->windowType() == Qt::ToolTip || w->windowType() == Qt::SplashScreen)
            return false;
        if (!qobject_cast<QMainWindow*>(w))
            widenForTitle(w);
        // A window without a position of its own is placed by the window manager once it is
        // mapped; until then only its size can be checked.
        if (w->testAttribute(Qt::WA_Moved))
            fitIntoWorkArea(w);
        else
            fitSizeIntoWorkArea(w);
        for (int ms : {0, 250})
            QTimer::singleShot(ms, w, [w] {
                if (w->isVisible())
                    fitIntoWorkArea(w);
            });
        return false;
    }
};

void fitSizeIntoWorkArea(QWidget* window) {
    const QSize room = workAreaOf(window).marginsRemoved(frameMarginsOf(window)).size();
    if (!room.isEmpty() && window->minimumSize() != window->maximumSize() &&
        (window->width() > room.width() || window->height() > room.height()))
        window->resize(window->size().boundedTo(room).expandedTo(window->minimumSize()));
}

} // namespace

QRect workAreaOf(const QWidget* window) {
    const QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins frameMarginsOf(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    if (frame == inner)
        return kAssumedFrame;
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

QRect fitFrameInto(QRect frame, const QRect& area, bool fixedSize) {
    if (area.isEmpty())
        return frame;
    if (!fixedSize)
        frame.setSize(frame.size().boundedTo(area.size()));
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    return frame;
}

void fitIntoWorkArea(QWidget* window) {
    const QRect area = workAreaOf(window);
    const QMargins margins = frameMarginsOf(window);
    const QRect frame = window->geometry().marginsAdded(margins);
    const bool fixedSize = window->minimumSize() == window->maximumSize();
    const QRect fitted = fitFrameInto(frame, area, fixedSize);
    if (fitted == frame)
        return;
    const QRect inner = fitted.marginsRemoved(margins);
    if (inner.size() != window->size())
        window->resize(inner.size().expandedTo(window->minimumSize()));
    window->move(fitted.topLeft());
}

void widenForTitle(QWidget* window) {
    // Title bars commonly use a bold face of the desktop's size; the icon and the buttons beside
    // the title take about as much again as a short title.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    constexpr int kTitleBarExtras = 140;
    const int needed =
        QFontMetrics(titleFont).horizontalAdvance(window->windowTitle()) + kTitleBarExtras;
    if (window->width() >= needed)
        return;
    if (window->minimumWidth() == window->maximumWidth())
        window->setFixedWidth(needed);
    else
        window->resize(needed, window->height());
}

void closeOnEscape(QWidget* window) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

void keepWindowsInsideWorkArea(QApplication& app) {
    app.installEventFilter(new WindowFitter(&app));
}

} // namespace ondrel::ui
