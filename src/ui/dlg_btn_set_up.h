#pragma once

#include <QDialog>

class QLineEdit;

namespace ondrel::ui {

class FrmConfigButtons;

// Asks how many bytes the custom command string has. Count 0 empties the string; any other
// count opens the entry dialog.
class DlgBtnSetUp : public QDialog {
    Q_OBJECT
public:
    explicit DlgBtnSetUp(FrmConfigButtons& config);

    QLineEdit* ByteNumber() const { return byteNumber_; }

private:
    void ok();

    FrmConfigButtons& config_;
    QLineEdit* byteNumber_;
};

} // namespace ondrel::ui
