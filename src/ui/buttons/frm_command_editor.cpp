#include "ui/buttons/frm_command_editor.h"

#include "project/project_state.h"
#include "ui/buttons/command_notation_edit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ondrel::ui {

FrmCommandEditor::FrmCommandEditor(QWidget* parent, const ProjectState& state, int button,
                                   StringTarget target, Store store)
    : QDialog(parent), store_(std::move(store)), target_(target),
      edit_(new CommandNotationEdit(this)), ok_(new QPushButton(tr("OK"), this)) {
    setObjectName(QStringLiteral("FrmCommandEditor"));
    setWindowTitle(tr("Type or Paste a Command"));
    setAttribute(Qt::WA_DeleteOnClose);

    const bool portOne = target.port == CommandPort::One;
    auto* what = new QLabel(
        tr("%1, %2").arg(portOne ? tr("Port One Command") : tr("Port Two Command"),
                         target.dual == 0 ? tr("Primary Function") : tr("Secondary Function")),
        this);
    what->setObjectName(QStringLiteral("lblTarget"));

    // Start in the form the port shows its strings in, on the string as stored.
    edit_->setNotation(notationOf(state.port(portOne ? 0 : 1).prsentAs));
    const ButtonConfig& record = state.button(button);
    const ByteList& list =
        portOne ? (target.dual == 0 ? record.commandString1() : record.commandString1_2())
                : (target.dual == 0 ? record.commandString2() : record.commandString2_2());
    if (const auto bytes = list.toBytes())
        edit_->setBytes(*bytes);
    else { // a slot that is no byte (a file can bring one in): show the decimal form to mend
        edit_->setNotation(Notation::Decimal);
        edit_->setText(list.textForm(Notation::Decimal).trimmed());
    }

    ok_->setObjectName(QStringLiteral("OKButton"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &FrmCommandEditor::ok);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(edit_, &CommandNotationEdit::changed, this,
            [this] { ok_->setEnabled(edit_->isValid()); });
    ok_->setEnabled(edit_->isValid());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(what);
    layout->addWidget(edit_);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(560, sizeHint().height());
}

void FrmCommandEditor::ok() {
    if (!edit_->isValid())
        return;
    store_(edit_->parsed().bytes);
    close();
}

} // namespace ondrel::ui
