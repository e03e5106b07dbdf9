#pragma once

#include "project/command_entry.h"

#include <QDialog>
#include <functional>

class QPushButton;

namespace ondrel {
class ProjectState;
}

namespace ondrel::ui {

class CommandNotationEdit;

// Types or pastes one of a button's four command strings whole, in the notation of the
// projector's manual. OK hands the bytes to `store` (stored as the byte-by-byte entry stores
// them); Cancel stores nothing.
class FrmCommandEditor : public QDialog {
    Q_OBJECT
public:
    using Store = std::function<void(const QByteArray& bytes)>;
    // Edits the string `target` selects of button `button`, as `state` holds it.
    FrmCommandEditor(QWidget* parent, const ProjectState& state, int button, StringTarget target,
                     Store store);

    CommandNotationEdit* editor() const { return edit_; }
    QPushButton* okButton() const { return ok_; }
    StringTarget target() const { return target_; }

private:
    void ok();

    Store store_;
    StringTarget target_;
    CommandNotationEdit* edit_;
    QPushButton* ok_;
};

} // namespace ondrel::ui
