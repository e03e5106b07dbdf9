#pragma once

#include "project/command_entry.h"

#include <QDialog>

class QPushButton;

namespace ondrel::ui {

class CommandNotationEdit;
class FrmConfigButtons;

// Types or pastes one of a button's four command strings whole, in the notation of the
// projector's manual. OK stores it as the byte-by-byte entry does; Cancel stores nothing.
class FrmCommandEditor : public QDialog {
    Q_OBJECT
public:
    // Edits the string `target` selects of the button the configuration window shows.
    FrmCommandEditor(FrmConfigButtons& config, int button, StringTarget target);

    CommandNotationEdit* editor() const { return edit_; }
    QPushButton* okButton() const { return ok_; }
    StringTarget target() const { return target_; }

private:
    void ok();

    FrmConfigButtons& config_;
    int button_;
    StringTarget target_;
    CommandNotationEdit* edit_;
    QPushButton* ok_;
};

} // namespace ondrel::ui
