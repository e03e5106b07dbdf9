#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace ondrel::test {

// A menu item, or a menu, of `window` by its object name (a menu's own item carries its name).
inline QAction* action(const QObject& window, const QString& name) {
    auto* a = window.findChild<QAction*>(name);
    EXPECT_NE(a, nullptr) << qPrintable(name);
    return a;
}
inline QMenu* menu(const QObject& window, const QString& name) {
    auto* m = window.findChild<QMenu*>(name);
    EXPECT_NE(m, nullptr) << qPrintable(name);
    return m;
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

// Chooses `text` in a list as the user does: it becomes current and the list says it was chosen.
inline void pick(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    EXPECT_GE(index, 0) << qPrintable(text);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Types `text` into `box` as a user does, over what it held, with the focus left there.
inline void typeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

// The open window of this object name among the windows of `owner` (a main window).
inline QWidget* openWindow(QWidget* owner, const QString& name) {
    for (QWidget* w : owner->findChildren<QWidget*>(name))
        if (w->isWindow() && w->isVisible())
            return w;
    return nullptr;
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

// Runs `action` on the next file dialog once it is shown (the tool waits for its answer).
inline void onNextFileDialog(std::function<void(QFileDialog*)> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start(5);
}

// The one way tests answer message boxes. While it lives, every box the tool shows, whether
// the code waits for the answer or not, is answered with the next queued button (OK, or the
// default button, when none is queued) and kept in order.
class MessageBoxes {
public:
    struct Box {
        QString title, text; // text includes the informative text
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    MessageBoxes() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answerOpen(); });
        timer_.start(5);
    }
    // The answer to the next box (after those already queued).
    void answerWith(QMessageBox::StandardButton button) {
        answers_ << [button](QMessageBox* box) -> QAbstractButton* { return box->button(button); };
    }
    // The same with a button the tool added itself, by its object name.
    void answerWith(const QString& buttonName) {
        answers_ << [buttonName](QMessageBox* box) -> QAbstractButton* {
            return box->findChild<QAbstractButton*>(buttonName);
        };
    }
    // Every box answered so far, after answering those open now.
    const QList<Box>& seen() {
        answerOpen();
        return seen_;
    }
    // The next box not yet taken, waiting up to `timeoutMs` for it; an empty Box when none came.
    Box next(int timeoutMs = 3000) {
        waitUntil([this] { return answerOpen() > taken_; }, timeoutMs);
        return taken_ < seen_.size() ? seen_[taken_++] : Box{};
    }
    // The next box titled `title`, passing over others; an empty Box when none came in time.
    Box next(const QString& title, int timeoutMs = 3000) {
        QElapsedTimer timer;
        timer.start();
        for (Box box; timer.elapsed() < timeoutMs;)
            if ((box = next(int(timeoutMs - timer.elapsed()))).title == title)
                return box;
        return Box{};
    }

private:
    qsizetype answerOpen() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                seen_ << Box{box->windowTitle(), box->text() + box->informativeText(), box->icon()};
                QAbstractButton* button = answers_.isEmpty() ? nullptr : answers_.takeFirst()(box);
                if (!button)
                    button = box->defaultButton();
                if (!button)
                    button = box->button(QMessageBox::Ok);
                button ? button->click() : box->done(0);
            }
        return seen_.size();
    }
    QTimer timer_;
    QList<std::function<QAbstractButton*(QMessageBox*)>> answers_;
    QList<Box> seen_;
    qsizetype taken_ = 0;
};

} // namespace ondrel::test
