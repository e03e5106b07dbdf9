#pragma once

#include <QFrame>

class QTimer;

namespace ondrel::ui {

// The splash window: shows the version for five seconds, then shows the main window and closes.
class Intro : public QFrame {
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 5000;

    explicit Intro(QWidget* mainWindow, QWidget* parent = nullptr);

    QTimer* Timer1() const { return showTimer_; }

private:
    void timer1Elapsed();

    QWidget* mainWindow_;
    QTimer* showTimer_;
};

} // namespace ondrel::ui
