#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace ondrel {
class ProjectState;
}

namespace ondrel::ui {

// "Shut Off Timer": hours and minutes in, the shut-off time and its display texts out. Modeless,
// one instance, deleted when closed; the boxes start empty each time.
class TimerDialog : public QDialog {
    Q_OBJECT
public:
    explicit TimerDialog(ProjectState& state, QWidget* parent = nullptr);

    // Shows the one dialog of `owner`, creating it when none is open.
    static TimerDialog* showFor(ProjectState& state, QWidget* owner);

    QLineEdit* Text1() const { return hoursBox_; }   // hours
    QLineEdit* Text2() const { return minutesBox_; } // minutes
    QPushButton* OKButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void okClicked();

    ProjectState& state_;
    QLineEdit* hoursBox_ = nullptr;
    QLineEdit* minutesBox_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace ondrel::ui
