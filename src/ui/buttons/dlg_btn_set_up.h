#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;

namespace ondrel::ui {

// Asks how many bytes the custom command string has and hands a good count to `counted` (0 empties
// the string; any other count opens the entry dialog).
class DlgBtnSetUp : public QDialog {
    Q_OBJECT
public:
    DlgBtnSetUp(QWidget* parent, std::function<void(int count)> counted);

    QLineEdit* ByteNumber() const { return byteNumber_; }

private:
    void ok();

    std::function<void(int count)> counted_;
    QLineEdit* byteNumber_;
};

} // namespace ondrel::ui
