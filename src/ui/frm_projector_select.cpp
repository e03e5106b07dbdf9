#include "frm_projector_select.h"

#include "messages.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ondrel::ui {

frmProjectorSelect::frmProjectorSelect(ProjectState& state, const Catalogue& catalogue,
                                       QWidget* parent)
    : QDialog(parent), state_(state), catalogue_(catalogue) {
    setObjectName(QStringLiteral("frmProjectorSelect"));
    setWindowTitle(tr("Select Projector Model"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    label1_ = new QLabel(tr("Manufacturer"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    label3_ = new QLabel(tr("Model"), this);
    label3_->setObjectName(QStringLiteral("Label3"));
    combo2_ = new QComboBox(this);
    combo2_->setObjectName(QStringLiteral("Combo2"));
    for (QComboBox* combo : {combo1_, combo2_}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumWidth(220);
        combo->setMaxVisibleItems(20);
    }
    label1_->setBuddy(combo1_);
    label3_->setBuddy(combo2_);
    command1_ = new QPushButton(tr("Select"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    combo1_->lineEdit()->installEventFilter(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label1_, 0, 0);
    grid->addWidget(combo1_, 0, 1);
    grid->addWidget(label3_, 1, 0);
    grid->addWidget(combo2_, 1, 1);
    grid->addWidget(command1_, 2, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(combo1_, &QComboBox::activated, this, &frmProjectorSelect::Combo1_Click);
    connect(command1_, &QPushButton::clicked, this, &frmProjectorSelect::Command1_Click);

    // An unreadable catalogue leaves the list empty; the opener tells the user why.
    if (auto makers = catalogue_.manufacturers())
        combo1_->addItems(makers.value());
    // No maker shown until one is chosen: a maker is never shown without its models.
    combo1_->setCurrentIndex(-1);
    connect(combo1_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (text == listedMaker_)
            return;
        if (combo1_->findText(text, Qt::MatchExactly) >= 0)
            Combo1_Click();
        else if (!listedMaker_.isNull()) {
            combo2_->clear();
            listedMaker_ = QString();
        }
    });
}

bool frmProjectorSelect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == combo1_->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            combo1_->findText(combo1_->currentText().trimmed()) >= 0) {
            combo1_->setEditText(combo1_->currentText().trimmed()); // lists its models
            combo2_->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmProjectorSelect::Combo1_Click() {
    listedMaker_ = combo1_->currentText();
    combo2_->clear();
    if (auto models = catalogue_.models(combo1_->currentText())) {
        combo2_->addItems(models.value());
        // The installer's own models show in italics.
        QFont own = combo2_->font();
        own.setItalic(true);
        for (int i = 0; i < combo2_->count(); ++i)
            if (catalogue_.isUserModel(combo1_->currentText(), combo2_->itemText(i))) {
                combo2_->setItemData(i, own, Qt::FontRole);
                combo2_->setItemData(i, tr("Your own model"), Qt::ToolTipRole);
            }
        combo2_->setCurrentIndex(combo2_->count() > 0 ? 0 : -1);
    }
}

void frmProjectorSelect::Command1_Click() {
    if (combo2_->currentText().trimmed().isEmpty()) {
        showMessage(this, QMessageBox::Information, windowTitle(),
                    tr("Choose a manufacturer, then one of its models, before \"Select\". "
                       "Nothing was stored."));
        return;
    }
    const int device = device_;
    if (device == 0 || device == 1) {
        auto selection =
            selectModel(state_, catalogue_, device, combo1_->currentText(), combo2_->currentText());
        if (selection && selection.value().found)
            emit modelSelected(device, selection.value().lists);
    }
    close();
}

} // namespace ondrel::ui
