#pragma once

#include "project/byte_list.h"

#include <QDialog>
#include <functional>
#include <vector>

class QComboBox;
class QLineEdit;
class QScrollArea;

namespace ondrel::ui {

// One entry field per byte of a custom command string, with start and end character helpers.
// OK hands the string to `store` (the configuration window stores it into the target it selects
// at that moment) once every field reads as a byte; otherwise the unreadable fields are marked,
// one message names them and the dialog stays. Every way of closing calls `closed` (that window
// refreshes its command boxes). Taller than the screen, the fields scroll above OK and Cancel.
class FrmStringEnter : public QDialog {
    Q_OBJECT
public:
    using Store = std::function<void(const ByteList&)>;
    FrmStringEnter(QWidget* parent, int count, Store store, std::function<void()> closed);

    int byteCount() const { return static_cast<int>(fields_.size()); }
    QLineEdit* Str_Byte(int index) const { return fields_.at(size_t(index)); }
    QComboBox* StrtChr() const { return startChar_; }
    QComboBox* EndChr() const { return endChar_; }
    // Sized for a screen whose work area leaves `roomHeight` pixels inside the frame: the design
    // height where it fits, otherwise the room, with the fields scrolling.
    void fitInto(int roomHeight);

private:
    void buildCharacterLists(QWidget* body);
    // The entry fields; gives the top of their last row.
    double buildFields(QWidget* body);
    QWidget* buildFooter();
    void ok();
    static void markField(QLineEdit* field, bool bad);

    Store store_;
    std::vector<QLineEdit*> fields_;
    int byteCountLast_;
    QComboBox* startChar_;
    QComboBox* endChar_;
    QScrollArea* scroll_;
};

} // namespace ondrel::ui
