#pragma once

#include <QPushButton>

namespace ondrel::ui {

// A push button whose caption wraps onto several lines when it is wider than the button.
class WrapButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ondrel::ui
