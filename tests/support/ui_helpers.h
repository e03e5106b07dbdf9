#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace ondrel::test {

// The open message box titled `title`, if any.
inline QMessageBox* findMessageBox(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->isVisible() && box->windowTitle() == title)
            return box;
    return nullptr;
}

// Closes every open message box (they delete themselves).
inline void closeMessageBoxes() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs the event loop until `done` holds or `timeoutMs` has passed; says whether it held.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Presses and releases the left mouse button at the middle of `widget`.
inline void click(QWidget* widget) {
    const QPointF local(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

// Answers every message box that comes up while it lives (as its default OK would), keeping
// "title: text" of each.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    seen << box->windowTitle() + QStringLiteral(": ") + box->text();
                    box->accept();
                }
        });
        timer_.start();
    }
    QStringList seen;

private:
    QTimer timer_;
};

} // namespace ondrel::test
