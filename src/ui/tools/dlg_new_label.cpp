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
    txtCaption_ = new QLineEdit(this);
    txtCaption_->setObjectName(QStringLiteral("Text1"));
    label1->setBuddy(txtCaption_);

    auto* frame1 = new QGroupBox(QStringLiteral("Font"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* label2 = new QLabel(QStringLiteral("Size"), frame1);
    label2->setObjectName(QStringLiteral("Label2"));
    cmbSize_ = new QComboBox(frame1);
    cmbSize_->setObjectName(QStringLiteral("Combo1"));
    cmbSize_->addItems({"8", "10", "12", "14", "18"});
    cmbSize_->setCurrentIndex(-1);
    auto* label3 = new QLabel(QStringLiteral("Weight"), frame1);
    label3->setObjectName(QStringLiteral("Label3"));
    cmbWeight_ = new QComboBox(frame1);
    cmbWeight_->setObjectName(QStringLiteral("Combo2"));
    cmbWeight_->addItems({"Regular", "Bold"});
    cmbWeight_->setCurrentIndex(-1);
    auto* fontGrid = new QGridLayout(frame1);
    fontGrid->addWidget(label2, 0, 0);
    fontGrid->addWidget(cmbSize_, 0, 1);
    fontGrid->addWidget(label3, 1, 0);
    fontGrid->addWidget(cmbWeight_, 1, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(txtCaption_, 1, 0);
    grid->addWidget(frame1, 2, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 3, 1);

    connect(cmbSize_, &QComboBox::activated, this, [this](int) {
        labels_->setFontSize(labels_->labelNum, cmbSize_->currentText().toDouble());
    });
    connect(cmbWeight_, &QComboBox::activated, this, [this](int) {
        labels_->setBold(labels_->labelNum, cmbWeight_->currentText() == QLatin1String("Bold"));
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        labels_->setCaption(labels_->labelNum, txtCaption_->text());
        close();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}

void DlgNewLabel::setLabelText(const QString& text) {
    txtCaption_->setText(text);
    txtCaption_->selectAll();
    txtCaption_->setFocus();
}

} // namespace ondrel::ui
