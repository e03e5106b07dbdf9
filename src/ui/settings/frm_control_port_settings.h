#pragma once

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace ondrel {
class ProjectState;
}

namespace ondrel::ui {

// Serial settings and presentation form of one control port. Modeless; "Enter" stores the
// values, each in its list's spelling, and closes; a value the panel does not know is refused
// with a message and the dialog stays. The close box stores nothing.
class FrmControlPortSettings : public QDialog {
    Q_OBJECT
public:
    explicit FrmControlPortSettings(ProjectState& state, QWidget* parent = nullptr);

    // Shows the settings of control port `index` (0 or 1).
    void openForPort(int index);
    int portNumber() const { return portNumber_; }

    QComboBox* cmbBaudRate() const { return baudRate_; }
    QComboBox* cmbBits() const { return bits_; }
    QComboBox* cmbParity() const { return parity_; }
    QComboBox* cmbSbit() const { return stopBit_; }
    QRadioButton* ChooseAscii() const { return ascii_; }
    QRadioButton* ChooseHex() const { return hex_; }

private:
    void enter();

    ProjectState& state_;
    int portNumber_ = 0;
    QComboBox* baudRate_;
    QComboBox* bits_;
    QComboBox* parity_;
    QComboBox* stopBit_;
    QRadioButton* ascii_;
    QRadioButton* hex_;
};

} // namespace ondrel::ui
