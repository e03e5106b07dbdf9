#include "ui/tools/dlg_new_label.h"

#include "ui/tools/frm_labels.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ondrel::ui {

DlgNewLabel::DlgNewLabel(FrmLabels* labels) : QDialog(labels), labels_(labels) {
    setObjectName(QStringLiteral("dlgNewLabel"));
    setWindowTitle(QStringLiteral("Enter New Button Label"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* label1 = new QLabel(QStringLiteral("Button Label"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    label1->setBuddy(text1_);

    auto* frame1 = new QGroupBox(QStringLiteral("Font"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* label2 = new QLabel(QStringLiteral("Size"), frame1);
    label2->setObjectName(QStringLiteral("Label2"));
    combo1_ = new QComboBox(frame1);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->addItems({"8", "10", "12", "14", "18"});
    combo1_->setCurrentIndex(-1);
    auto* label3 = new QLabel(QStringLiteral("Weight"), frame1);
    label3->setObjectName(QStringLiteral("Label3"));
    combo2_ = new QComboBox(frame1);
    combo2_->setObjectName(QStringLiteral("Combo2"));
    combo2_->addItems({"Regular", "Bold"});
    combo2_->setCurrentIndex(-1);
    auto* fontGrid = new QGridLayout(frame1);
    fontGrid->addWidget(label2, 0, 0);
    fontGrid->addWidget(combo1_, 0, 1);
    fontGrid->addWidget(label3, 1, 0);
    fontGrid->addWidget(combo2_, 1, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(text1_, 1, 0);
    grid->addWidget(frame1, 2, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 3, 1);

    connect(combo1_, &QComboBox::activated, this, [this](int) {
        labels_->setFontSize(labels_->labelNum, combo1_->currentText().toDouble());
    });
    connect(combo2_, &QComboBox::activated, this, [this](int) {
        labels_->setBold(labels_->labelNum, combo2_->currentText() == QLatin1String("Bold"));
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        labels_->setCaption(labels_->labelNum, text1_->text());
        close();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}

void DlgNewLabel::setLabelText(const QString& text) {
    text1_->setText(text);
    text1_->selectAll();
    text1_->setFocus();
}

} // namespace ondrel::ui
