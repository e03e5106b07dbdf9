#include "ui/buttons/dlg_btn_set_up.h"

#include "project/command_entry.h"
#include "ui/widgets/messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ondrel::ui {

DlgBtnSetUp::DlgBtnSetUp(QWidget* parent, std::function<void(int count)> counted)
    : QDialog(parent), counted_(std::move(counted)), byteNumber_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("DlgBtnSetUp"));
    setWindowTitle(tr("Configure Buttons"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* label = new QLabel(tr("Enter total number of characters including start and end "
                                "characters(EX.  STX and ETX):"),
                             this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    label->setBuddy(byteNumber_);
    byteNumber_->setObjectName(QStringLiteral("ByteNumber"));
    byteNumber_->setMaximumWidth(80);

    auto* okButton = new QPushButton(tr("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &DlgBtnSetUp::ok);
    auto* cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);

    auto* row = new QHBoxLayout;
    row->addWidget(byteNumber_);
    row->addStretch();
    row->addWidget(okButton);
    row->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(row);
    setFixedWidth(400);
    setFixedHeight(heightForWidth(400) > 0 ? heightForWidth(400) : sizeHint().height());
}

void DlgBtnSetUp::ok() {
    // Not a whole number from 0 to 255: nothing changes, and the dialog stays to correct it.
    const std::optional<int> count = parseByteCount(byteNumber_->text());
    if (!count) {
        showMessage(this, QMessageBox::Warning, windowTitle(),
                    tr("\"%1\" is not a number of characters: enter a whole number from 0 to %2.")
                        .arg(byteNumber_->text())
                        .arg(kMaxCommandBytes));
        return;
    }
    counted_(*count);
    close();
}

} // namespace ondrel::ui
