#include "ui/catalogue/frm_projector_select.h"

#include "ui/widgets/messages.h"

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

    makerLabel_ = new QLabel(tr("Manufacturer"), this);
    makerLabel_->setObjectName(QStringLiteral("Label1"));
    makerList_ = new QComboBox(this);
    makerList_->setObjectName(QStringLiteral("Combo1"));
    modelLabel_ = new QLabel(tr("Model"), this);
    modelLabel_->setObjectName(QStringLiteral("Label3"));
    modelList_ = new QComboBox(this);
    modelList_->setObjectName(QStringLiteral("Combo2"));
    for (QComboBox* combo : {makerList_, modelList_}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMinimumWidth(220);
        combo->setMaxVisibleItems(20);
    }
    makerLabel_->setBuddy(makerList_);
    modelLabel_->setBuddy(modelList_);
    selectButton_ = new QPushButton(tr("Select"), this);
    selectButton_->setObjectName(QStringLiteral("Command1"));
    selectButton_->setDefault(true);
    makerList_->lineEdit()->installEventFilter(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(makerLabel_, 0, 0);
    grid->addWidget(makerList_, 0, 1);
    grid->addWidget(modelLabel_, 1, 0);
    grid->addWidget(modelList_, 1, 1);
    grid->addWidget(selectButton_, 2, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(makerList_, &QComboBox::activated, this, &frmProjectorSelect::Combo1_Click);
    connect(selectButton_, &QPushButton::clicked, this, &frmProjectorSelect::Command1_Click);

    // An unreadable catalogue leaves the list empty; the opener tells the user why.
    if (auto makers = catalogue_.manufacturers())
        makerList_->addItems(makers.value());
    // No maker shown until one is chosen: a maker is never shown without its models.
    makerList_->setCurrentIndex(-1);
    connect(makerList_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (text == listedMaker_)
            return;
        if (makerList_->findText(text, Qt::MatchExactly) >= 0)
            Combo1_Click();
        else if (!listedMaker_.isNull()) {
            modelList_->clear();
            listedMaker_ = QString();
        }
    });
}

bool frmProjectorSelect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == makerList_->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            makerList_->findText(makerList_->currentText().trimmed()) >= 0) {
            makerList_->setEditText(makerList_->currentText().trimmed()); // lists its models
            modelList_->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmProjectorSelect::Combo1_Click() {
    listedMaker_ = makerList_->currentText();
    modelList_->clear();
    if (auto models = catalogue_.models(makerList_->currentText())) {
        modelList_->addItems(models.value());
        // The installer's own models show in italics.
        QFont own = modelList_->font();
        own.setItalic(true);
        for (int i = 0; i < modelList_->count(); ++i)
            if (catalogue_.isUserModel(makerList_->currentText(), modelList_->itemText(i))) {
                modelList_->setItemData(i, own, Qt::FontRole);
                modelList_->setItemData(i, tr("Your own model"), Qt::ToolTipRole);
            }
        modelList_->setCurrentIndex(modelList_->count() > 0 ? 0 : -1);
    }
}

void frmProjectorSelect::Command1_Click() {
    if (modelList_->currentText().trimmed().isEmpty()) {
        showMessage(this, QMessageBox::Information, windowTitle(),
                    tr("Choose a manufacturer, then one of its models, before \"Select\". "
                       "Nothing was stored."));
        return;
    }
    const int device = device_;
    if (device == 0 || device == 1) {
        auto selection = selectModel(state_, catalogue_, device, makerList_->currentText(),
                                     modelList_->currentText());
        if (selection && selection.value().found)
            emit modelSelected(device, selection.value().lists);
    }
    close();
}

} // namespace ondrel::ui
