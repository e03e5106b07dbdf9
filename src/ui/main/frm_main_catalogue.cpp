// The main window's catalogue side: opening the model selection, showing the command lists the
// core fills, the users' command choices and the device menu items.
#include "app_paths.h"
#include "catalogue/command_assignment.h"
#include "catalogue/user_catalogue.h"
#include "project/device_options.h"
#include "ui/catalogue/frm_projector_select.h"
#include "ui/catalogue/frm_user_models.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/messages.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

namespace ondrel::ui {

namespace {

const QString kWarningTitle = QStringLiteral("Corvane Ondrel");

// Double clicks on a list's edit field, reported as Combo1_DblClick of that button.
class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(FrmMain* main, int index) : QObject(main), main_(main), index_(index) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick)
            main_->Combo1_DblClick(index_);
        return QObject::eventFilter(watched, event);
    }

private:
    FrmMain* main_;
    int index_;
};

} // namespace

void FrmMain::setUpCatalogue() {
    useCatalogue(catalogPath());
    for (int i = 0; i < kButtonCount; ++i) {
        connect(Combo1(i), &QComboBox::activated, this, [this, i] { Combo1_Click(i); });
        connect(Combo2(i), &QComboBox::activated, this, [this, i] { Combo2_Click(i); });
        Combo1(i)->lineEdit()->installEventFilter(new DoubleClickFilter(this, i));
    }
    for (int d = 0; d < 2; ++d)
        connect(mnuControl[size_t(d)], &QAction::triggered, this,
                [this, d] { mnuControl_Click(d); });
    connect(mnuEnable2, &QAction::triggered, this, &FrmMain::mnuEnable2_Click);
    mnuUserModels = mnuProjector->addAction(tr("Your Own &Models..."));
    mnuUserModels->setObjectName(QStringLiteral("mnuUserModels"));
    connect(mnuUserModels, &QAction::triggered, this, &FrmMain::mnuUserModels_Click);
    connect(mnuKdx, &QAction::triggered, this, &FrmMain::mnuKdx_Click);
    for (int p = 1; p <= 3; ++p)
        connect(uploadport[size_t(p)], &QAction::triggered, this,
                [this, p] { uploadport_Click(p); });
    connect(&state_, &ProjectState::changed, this, &FrmMain::showCommandLists);
}

void FrmMain::useCatalogue(const QString& path) {
    if (projectorSelect_)
        projectorSelect_->close(); // it reads the catalogue being replaced
    if (userModels_)
        userModels_->close();
    catalogue_ = std::make_unique<Catalogue>(path, userCataloguePath()); // with the own models
}

// Brings the lists' items in line with the project (a model selection or an opened file changed
// them) and shows each list's text; stores nothing.
void FrmMain::showCommandLists() {
    for (int device = 0; device < 2; ++device) {
        const QStringList& items = state_.device(device).commandItems;
        const auto& texts = state_.device(device).commandTexts;
        for (int i = 0; i < kButtonCount; ++i) {
            QComboBox* combo = device == 0 ? Combo1(i) : Combo2(i);
            const QSignalBlocker block(combo);
            QStringList shown;
            for (int n = 0; n < combo->count(); ++n)
                shown << combo->itemText(n);
            if (shown != items) {
                combo->clear();
                combo->addItems(items);
            }
            const QString& text = texts[size_t(i)];
            const int position = combo->findText(text, Qt::MatchExactly);
            if (position >= 0)
                combo->setCurrentIndex(position);
            combo->setEditText(text);
        }
    }
    mnuKdx->setChecked(state_.kdxDevicePresent());
    if (state_.uploadPort() >= 1 && state_.uploadPort() <= 3)
        uploadport[size_t(state_.uploadPort())]->setChecked(true);
}

void FrmMain::showModel(int device, const CommandListFill& lists) {
    Q_UNUSED(device);
    if (lists.renameButton8)
        frmButton(7)->setTitle(QStringLiteral("Button 8"));
    showCommandLists();
}

void FrmMain::PopulateCombos(int device) {
    if (device != 0 && device != 1)
        return;
    const Result<CommandListFill> lists =
        populateCommandListsWithDefaults(state_, *catalogue_, device);
    if (!lists)
        return showCatalogueFailure(lists.error());
    showModel(device, lists.value());
}

void FrmMain::PopulateCombos2(int device) {
    if (device != 0 && device != 1)
        return;
    if (const Result<CommandListFill> lists = populateCommandLists(state_, *catalogue_, device);
        !lists)
        showCatalogueFailure(lists.error());
}

void FrmMain::Combo1_Click(int index) {
    const QString name = Combo1(index)->currentText();
    if (!name.isEmpty())
        currentButton_ = index;
    if (const Status chosen = chooseCommand(state_, *catalogue_, 0, index, name); !chosen)
        showCatalogueFailure(chosen.error());
}

void FrmMain::Combo2_Click(int index) {
    currentButton_ = index;
    if (const Status chosen =
            chooseCommand(state_, *catalogue_, 1, index, Combo2(index)->currentText());
        !chosen)
        showCatalogueFailure(chosen.error());
}

void FrmMain::Combo1_DblClick(int index) {
    Q_UNUSED(index); // the design applies the mask of the button chosen last
    if (currentButton_ >= 0)
        if (const Status masked = applyButtonMask(state_, *catalogue_, currentButton_); !masked)
            showCatalogueFailure(masked.error());
}

void FrmMain::cmdReConfig_Click(int index) {
    if (!customWarningShown_) {
        // The configuration opens once the warning is answered, as it did when the box blocked.
        QMessageBox* warning = showMessage(
            this, QMessageBox::Warning, kWarningTitle,
            QString::fromUtf8(
                "You are entering custom setup!  Any changes made in this section\r\n"
                "are the USER\u2019S RESPONSIBILITY.  The control can be restored to\r\n"
                "original configuration by clicking the 'Restore Factory Setup' button \r\n"
                "in the Corvane Ondrel software.  Calls for service support caused by your \r\n"
                "errors in this process may be subject to additional charges."));
        warning->setObjectName(QStringLiteral("customSetupWarning"));
        connect(warning, &QDialog::finished, this,
                [this, index] { openButtonConfiguration(index); });
        customWarningShown_ = true;
        return;
    }
    openButtonConfiguration(index);
}

void FrmMain::showCatalogueFailure(const Error& error) {
    // The choice kept what it stored before the failure; the user hears why the rest is missing.
    showMessage(this, QMessageBox::Warning, kWarningTitle, error.message);
}

void FrmMain::mnuControl_Click(int index) {
    if (!projectorSelect_) {
        projectorSelect_ = new frmProjectorSelect(state_, *catalogue_, this);
        connect(projectorSelect_, &frmProjectorSelect::modelSelected, this, &FrmMain::showModel);
        projectorSelect_->show();
        if (Status readable = catalogue_->status(); !readable)
            showMessage(projectorSelect_, QMessageBox::Warning, kWarningTitle,
                        readable.error().message);
    }
    projectorSelect_->setDevice(index);
    projectorSelect_->setWindowTitle(index == 0 ? tr("Select Device #1") : tr("Select Device #2"));
    projectorSelect_->show();
    projectorSelect_->raise();
    projectorSelect_->activateWindow();
}

frmProjectorSelect* FrmMain::projectorSelect() const {
    return projectorSelect_;
}

frmUserModels* FrmMain::mnuUserModels_Click() {
    if (!userModels_) {
        userCatalogue_ = std::make_unique<UserCatalogue>(catalogue_->userPath());
        userModels_ = new frmUserModels(*catalogue_, *userCatalogue_, this);
        connect(userModels_, &frmUserModels::modelChanged, this, &FrmMain::ownModelChanged);
    }
    userModels_->show();
    userModels_->raise();
    userModels_->activateWindow();
    return userModels_;
}

frmUserModels* FrmMain::userModels() const {
    return userModels_;
}

// An own model was saved or removed: a device using it looks it up again, so its lists offer the
// commands as they are now (the buttons keep the strings they hold).
void FrmMain::ownModelChanged(const QString& manufacturer, const QString& model) {
    for (int device = 0; device < 2; ++device)
        if (state_.device(device).manufacturer.compare(manufacturer, Qt::CaseInsensitive) == 0 &&
            state_.device(device).model.compare(model, Qt::CaseInsensitive) == 0 &&
            createDataset(state_, *catalogue_, device, state_.device(device).manufacturer,
                          state_.device(device).model)
                .ok())
            showCommandLists();
}

void FrmMain::mnuEnable2_Click() {
    setSecondProjectorEnabled(state_, !state_.secondProjectorEnabled());
}

void FrmMain::mnuKdx_Click() {
    setKdxDevicePresent(state_, !state_.kdxDevicePresent());
}

void FrmMain::uploadport_Click(int index) {
    setUploadPort(state_, index);
}

} // namespace ondrel::ui
