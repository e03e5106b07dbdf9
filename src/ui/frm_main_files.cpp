// The main window's file side: opening and saving configuration files, the save prompt before
// the window closes, and the shut-off timer dialog.
#include "app_paths.h"
#include "frm_main.h"
#include "messages.h"
#include "timer_dialog.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace ondrel::ui {

namespace {

const QString kFileFilter = QStringLiteral("Quellar Data (*.qcd)");

QString withStop(const QString& text) {
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

// Core messages start in lower case to read well after "FILE:LINE:"; a message box wants a
// sentence.
QString sentence(QString text) {
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return withStop(text);
}

QString lineText(const Error& error) {
    return error.line > 0
               ? QStringLiteral("Line %1: %2").arg(error.line).arg(withStop(error.message))
               : sentence(error.message);
}

} // namespace

void FrmMain::setUpFiles() {
    fileDialogFolder = configurationFolder(
        programFolder(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    datasetLookup = [this](ProjectState& state, int device, const QString& manufacturer,
                           const QString& model) {
        return catalogueDatasetLookup(catalogue())(state, device, manufacturer, model);
    };
    chooseConfigurationFile = [this](bool forSaving) { return askForConfigurationFile(forSaving); };
    closeGuard = [this] { return confirmClose(); };
    connect(mnuOpenFile, &QAction::triggered, this, &FrmMain::OpenConfiguration);
    connect(mnuSave, &QAction::triggered, this, &FrmMain::SaveConfiguration);
    connect(mnuSaveas, &QAction::triggered, this, &FrmMain::SaveAs);
    connect(this, &FrmMain::timerDisplayClicked, this,
            [this] { TimerDialog::showFor(state_, this); });
}

QString FrmMain::askForConfigurationFile(bool forSaving) {
    // A new dialog each time, so that it starts in the folder and without a name.
    QFileDialog dialog(this, forSaving ? tr("Save Configuration") : tr("Open Configuration"),
                       fileDialogFolder, kFileFilter);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The dialog then adds ".qcd" to a bare name before it asks about replacing that file.
    if (forSaving)
        dialog.setDefaultSuffix(QStringLiteral("qcd"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

bool FrmMain::SaveConfiguration() {
    const QString name = chooseConfigurationFile(true);
    if (name.isEmpty())
        return false;
    const auto saved = saveConfiguration(state_, name);
    if (!saved) {
        showMessage(
            this, QMessageBox::Warning, tr("Save Configuration"),
            tr("Could not save \"%1\".\n\n%2\n\nAn earlier file of that name is unchanged.")
                .arg(QDir::toNativeSeparators(qcdPathFor(name)), sentence(saved.error().message)));
        return false;
    }
    return true;
}

bool FrmMain::SaveAs() {
    state_.currentFileName.clear();
    return SaveConfiguration();
}

bool FrmMain::OpenConfiguration() {
    // What the file does not hold stays, but the project counts as saved afterwards.
    if (!askToSaveChanges(tr("Save them before opening another file?")))
        return false;
    const QString name = chooseConfigurationFile(false);
    if (name.isEmpty())
        return false;
    const auto opened = openConfiguration(state_, name, datasetLookup);
    const QString shownName = QDir::toNativeSeparators(name);
    if (!opened) {
        showMessage(this, QMessageBox::Warning, tr("Open Configuration"),
                    tr("Could not open \"%1\".\n\n%2\n\nNothing was changed.")
                        .arg(shownName, lineText(opened.error())));
        return false;
    }
    CheckRelays(); // the relay marks show the records just read, not the ones before
    if (!opened.value().empty()) {
        QStringList lines;
        for (const Error& warning : opened.value())
            lines << lineText(warning);
        showMessage(
            this, QMessageBox::Warning, tr("Open Configuration"),
            tr("\"%1\" was opened, but:\n\n%2").arg(shownName, lines.join(QLatin1Char('\n'))));
    }
    return true;
}

bool FrmMain::confirmClose() {
    return askToSaveChanges(tr("Save them before closing?"));
}

bool FrmMain::askToSaveChanges(const QString& question) {
    if (!state_.isModified())
        return true;
    // A question the caller needs answered before it can go on: the one box that blocks.
    QMessageBox box(QMessageBox::Warning, tr("Corvane Ondrel"),
                    tr("The configuration has changes that were not saved."),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("savePrompt"));
    box.setInformativeText(question);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveConfiguration();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

} // namespace ondrel::ui
