#pragma once

#include <QDialog>
#include <vector>

class QComboBox;
class QLineEdit;

namespace ondrel::ui {

class FrmConfigButtons;

// One entry field per byte of a custom command string, with start and end character helpers.
// OK stores the string into the target the configuration window selects at that moment; every
// way of closing refreshes that window's command boxes.
class FrmStringEnter : public QDialog {
    Q_OBJECT
public:
    FrmStringEnter(FrmConfigButtons& config, int count);

    int byteCount() const { return static_cast<int>(fields_.size()); }
    QLineEdit* Str_Byte(int index) const { return fields_.at(size_t(index)); }
    QComboBox* StrtChr() const { return startChar_; }
    QComboBox* EndChr() const { return endChar_; }

private:
    void ok();

    FrmConfigButtons& config_;
    std::vector<QLineEdit*> fields_;
    int byteCountLast_;
    QComboBox* startChar_;
    QComboBox* endChar_;
};

} // namespace ondrel::ui
