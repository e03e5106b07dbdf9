// The main window's file side: opening and saving configuration files, the save prompt before
// the window closes, and the shut-off timer dialog.
#include "app_paths.h"
#include "app_version.h"
#include "ui/main/frm_main.h"
#include "ui/settings/timer_dialog.h"
#include "ui/widgets/messages.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>

namespace ondrel::ui {

namespace {

const QString kFileFilter = QStringLiteral("Quellar Data (*.qcd)");
const QString kRecentKey = QStringLiteral("files/recent");
constexpr int kRecentCount = 8;

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
    mnuOpenFile->setShortcut(QKeySequence::Open);
    mnuSave->setShortcut(QKeySequence::Save);
    mnuSaveas->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    mnuRecent = new QMenu(tr("Recent &Files"), mnuFike);
    mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
    mnuFike->insertMenu(mnuExit, mnuRecent);
    mnuFike->insertSeparator(mnuExit);
    connect(mnuRecent, &QMenu::aboutToShow, this, &FrmMain::fillRecentFiles);
    connect(&state_, &ProjectState::modifiedChanged, this, &QWidget::setWindowModified);
    showDocumentName();
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
    // Like any desktop program: the file this configuration came from or went to last, without
    // asking again; a new configuration asks for a name.
    const QString name = documentFile_.isEmpty() ? chooseConfigurationFile(true) : documentFile_;
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
    setDocumentFile(saved.value());
    statusBar()->showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(saved.value())), 5000);
    return true;
}

bool FrmMain::SaveAs() {
    const QString before = documentFile_;
    const QString beforeName = state_.currentFileName();
    state_.setCurrentFileName(QString());
    documentFile_.clear();
    if (SaveConfiguration())
        return true;
    // Cancelled or failed: the configuration still belongs to the file it came from.
    documentFile_ = before;
    state_.setCurrentFileName(beforeName);
    return false;
}

void FrmMain::setDocumentFile(const QString& path) {
    documentFile_ = path;
    // The history and the room sheet name the configuration by it.
    state_.setCurrentFileName(path);
    QSettings settings(userSettingsPath(), QSettings::IniFormat);
    QStringList recent = settings.value(kRecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    settings.setValue(kRecentKey, QStringList(recent.mid(0, kRecentCount)));
    showDocumentName();
}

void FrmMain::showDocumentName() {
    QString title = QStringLiteral("Corvane Ondrel   Version: ") + versionText();
    if (!documentFile_.isEmpty())
        title += QStringLiteral(" - ") + QFileInfo(documentFile_).fileName();
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(state_.isModified());
}

QStringList FrmMain::recentFiles() const {
    return QSettings(userSettingsPath(), QSettings::IniFormat).value(kRecentKey).toStringList();
}

void FrmMain::fillRecentFiles() {
    mnuRecent->clear();
    const QStringList recent = recentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction* a = mnuRecent->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        a->setObjectName(QStringLiteral("mnuRecent_%1").arg(i));
        connect(a, &QAction::triggered, this, [this, path] {
            if (askToSaveChanges(tr("Save them before opening another file?")))
                openFile(path);
        });
    }
    mnuRecent->setEnabled(true);
    if (recent.isEmpty())
        mnuRecent->addAction(tr("(none)"))->setEnabled(false);
}

bool FrmMain::OpenConfiguration() {
    // What the file does not hold stays, but the project counts as saved afterwards.
    if (!askToSaveChanges(tr("Save them before opening another file?")))
        return false;
    const QString name = chooseConfigurationFile(false);
    if (name.isEmpty())
        return false;
    return openFile(name);
}

bool FrmMain::openFile(const QString& name) {
    const auto opened = openConfiguration(state_, name, datasetLookup);
    const QString shownName = QDir::toNativeSeparators(name);
    if (!opened) {
        showMessage(this, QMessageBox::Warning, tr("Open Configuration"),
                    tr("Could not open \"%1\".\n\n%2\n\nNothing was changed.")
                        .arg(shownName, lineText(opened.error())));
        return false;
    }
    CheckRelays(); // the relay marks show the records just read, not the ones before
    setDocumentFile(name);
    if (!opened.value().empty()) {
        QStringList lines;
        for (const Error& warning : opened.value())
            lines << lineText(warning);
        // Not blocking: the project is open and usable; the box only says what was left out.
        ui::showMessage(
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
    switch (askToSave(this, tr("Corvane Ondrel"),
                      tr("The configuration has changes that were not saved."), question)) {
    case QMessageBox::Save:
        return SaveConfiguration();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

} // namespace ondrel::ui
