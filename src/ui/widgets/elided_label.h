#pragma once

#include <QLabel>

namespace ondrel::ui {

// A one-line label that keeps its whole text (text() is unchanged) but draws it cut short with
// "..." when it is wider than the label, showing the whole text as a tool tip then.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    bool isElided() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* e) override;

private:
    void updateToolTip();
};

} // namespace ondrel::ui
