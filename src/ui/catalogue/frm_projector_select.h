#pragma once

#include "catalogue/command_assignment.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace ondrel::ui {

// The model selection window: choose a manufacturer, then one of its models, for the device
// it was last given (setDevice) when "Select" is pressed. Modeless; it closes after "Select" and
// is destroyed on close, so each showing reloads the manufacturer list.
class frmProjectorSelect : public QDialog {
    Q_OBJECT
public:
    frmProjectorSelect(ProjectState& state, const Catalogue& catalogue, QWidget* parent = nullptr);

    QComboBox* Combo1() const { return makerList_; }
    QComboBox* Combo2() const { return modelList_; }
    QPushButton* Command1() const { return selectButton_; }

    // A manufacturer was chosen: list its models, the first shown as chosen.
    void Combo1_Click();
    // The device (0 or 1) that "Select" stores the model for.
    void setDevice(int device) { device_ = device; }
    int device() const { return device_; }
    // "Select": store the model for the device, then close.
    void Command1_Click();

signals:
    // A model was stored for `device`; the main window shows its command lists.
    void modelSelected(int device, const ondrel::CommandListFill& lists);

protected:
    // Enter on a listed manufacturer goes on to its models instead of selecting the first one
    // unseen; Enter anywhere else presses "Select".
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProjectState& state_;
    int device_ = -1;
    const Catalogue& catalogue_;
    QLabel* makerLabel_;
    QComboBox* makerList_;
    QLabel* modelLabel_;
    QComboBox* modelList_;
    QPushButton* selectButton_;
    QString listedMaker_; // the maker whose models Combo2 lists
};

} // namespace ondrel::ui
