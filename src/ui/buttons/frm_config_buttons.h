#pragma once

#include "project/command_entry.h"
#include "ui/buttons/dlg_btn_set_up.h"
#include "ui/buttons/frm_command_editor.h"
#include "ui/buttons/frm_string_enter.h"

#include <QDialog>
#include <QPointer>
#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace ondrel {
class ProjectState;
}

namespace ondrel::ui {

// Everything about one panel button: command strings of both functions on both ports, single or
// dual use, relay actions, button type and options. Each change goes into the record at once.
class FrmConfigButtons : public QDialog {
    Q_OBJECT
public:
    explicit FrmConfigButtons(ProjectState& state, QWidget* parent = nullptr);
    ~FrmConfigButtons() override;

    // Shows the record of button `index` (0 to 9).
    void setButtonNumber(int index);

    // The command editor for the string of function `function`, port `port` of this button.
    FrmCommandEditor* openCommandEditor(int function, CommandPort port);
    FrmCommandEditor* commandEditor() const { return commandEditor_; }
    // The count dialog for a configure button or command box of function `function`, port `btn`.
    void openCountDialog(int function, CommandPort port);
    // The entry dialog for `count` bytes, replacing one that is open.
    FrmStringEnter* openStringEntry(int count);

    DlgBtnSetUp* countDialog() const { return countDialog_; }
    FrmStringEnter* stringEntry() const { return stringEntry_; }

signals:
    // "Finalize Configuration": the main window redraws its relay marks.
    void finalized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Which button is shown, and which of its strings the entry dialogs edit (read at their OK).
    int ButtonNumber = 0;
    int dual = 0;                               // 0 primary, 1 secondary
    CommandPort commandPort = CommandPort::One; // the design's Btn
    bool Dual_Function_State = false;

    // The string the entry dialogs store into, as selected at this moment (read at their OK).
    StringTarget target() const { return {commandPort, dual}; }
    // Count 0: the selected string becomes empty, here and in the main window's list.
    void storeEmptyString();
    // A string typed byte by byte; the main window's list shows "Custom".
    void storeCustomString(const ByteList& list);
    // A string typed whole (FrmCommandEditor) for `button`: stored as the byte-by-byte entry
    // stores it ("Custom" in the main window's list), or emptied as count 0 does when empty.
    void storeTypedString(int button, StringTarget target, const QByteArray& bytes);
    // Refreshes the four command boxes from the record.
    void showButtonStrings();
    QGroupBox* buildTypeFrame();
    void buildUseChoice();
    QGroupBox* buildFunctionFrame(int index);
    void setTabOrderOfFields(QWidget* finalize);
    void loadTypeAndOptions();
    void layOut(bool dualUse);
    void relayClicked(int relayNum, int option);
    void setRecordField(Value ButtonConfig::*field, int value); // of the shown button's record
    void storeEmpty(int button, StringTarget target);
    void storeCustom(int button, StringTarget target, const ByteList& list);

    ProjectState& state_;
    QTimer* loadTimer_; // loads the type and options once the window is up (object Timer1)
    QButtonGroup* buttonType_;
    QCheckBox* chkClrwSrce_;
    QCheckBox* repeating_;
    QCheckBox* incrementing_;
    QRadioButton* sngUse_;
    QRadioButton* dualUse_;
    std::array<QGroupBox*, 2> frmButtonCnfg_{};
    std::array<QLabel*, 2> cmdPortOne_{};
    std::array<QLabel*, 2> cmdPortTwo_{};
    std::array<QLineEdit*, 2> txtPort1_{};
    std::array<QLineEdit*, 2> txtPort2_{};
    std::array<QPushButton*, 2> btnCnfgOne_{};
    std::array<QPushButton*, 2> btnCnfgTwo_{};
    std::array<QWidget*, 2> btnEditOne_{}; // "Edit..." beside each "Configure"
    std::array<QWidget*, 2> btnEditTwo_{};
    std::array<QGroupBox*, 2> frmRelayOne_{};
    std::array<QGroupBox*, 2> frmRelayTwo_{};
    // OptRelay1, OptRelay2 (primary), OptRelay1_2, OptRelay2_2 (secondary): relayNum - 1.
    std::array<QButtonGroup*, 4> optRelay_{};
    QPointer<DlgBtnSetUp> countDialog_;
    QPointer<FrmStringEnter> stringEntry_;
    QPointer<FrmCommandEditor> commandEditor_;
};

} // namespace ondrel::ui
