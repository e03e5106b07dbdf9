#include "ui/main/panel_programming.h"

#include "app_paths.h"
#include "programming/config_image.h"
#include "programming/firmware_files.h"
#include "ui/main/frm_main.h"
#include "ui/main/programming_windows.h"
#include "ui/widgets/messages.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <memory>

namespace ondrel::ui {

namespace {

QMessageBox::Icon boxIcon(UserMessage::Icon icon) {
    switch (icon) {
    case UserMessage::Icon::Exclamation:
        return QMessageBox::Warning;
    case UserMessage::Icon::Critical:
        return QMessageBox::Critical;
    case UserMessage::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

UserMessage errorMessage(const QString& text) {
    return UserMessage{QStringLiteral("Error"), text, UserMessage::Icon::Exclamation};
}

} // namespace

PanelProgramming::PanelProgramming(FrmMain& main, const SerialLineFactory& lines)
    : QObject(&main), programDir(programFolder()), main_(main), lines_(lines) {
    setObjectName(QStringLiteral("panelProgramming"));
    upload_ = new UploadWindow(&main);
    resetPrompt_ = new ResetPrompt(&main);
    progressWindow_ = new ProgressWindow(&main);
    connect(resetPrompt_, &ResetPrompt::skipped, &worker_, &ProgrammingWorker::cancel);
    connect(progressWindow_, &ProgressWindow::cancelRequested, &worker_,
            &ProgrammingWorker::cancel);
    connect(upload_, &UploadWindow::cancelRequested, &worker_, &ProgrammingWorker::cancel);

    connect(&worker_, &ProgrammingWorker::stageChanged, this, &PanelProgramming::onStage);
    connect(&worker_, &ProgrammingWorker::progressChanged, progressWindow_,
            &ProgressWindow::showProgress);
    connect(&worker_, &ProgrammingWorker::finished, this, &PanelProgramming::onFinished);

    connect(main.uploadButton(), &QPushButton::clicked, this,
            &PanelProgramming::UploadConfiguration);
    connect(main.restoreButton(), &QPushButton::clicked, this,
            &PanelProgramming::RestoreFactorySetup);
    mnuManyRooms_ = new QAction(tr("Program &Many Rooms"), this);
    mnuManyRooms_->setObjectName(QStringLiteral("mnuManyRooms"));
    mnuManyRooms_->setCheckable(true);
    mnuManyRooms_->setStatusTip(tr("After \"Upload Complete.\" wait for the next panel's reset "
                                   "at once; Esc stops."));
}

// The worker's destructor cancels a running procedure and waits: the line is closed on the way
// out.
PanelProgramming::~PanelProgramming() = default;

void PanelProgramming::UploadConfiguration() {
    if (isRunning() || !firmwareAtHand([this] { UploadConfiguration(); }))
        return;
    upload_->Text1()->clear();
    // Built and checked before the port is touched: a configuration that does not fit sends
    // nothing.
    const Result<ConfigImage> image = BuildConfigImage(main_.state());
    if (!image) {
        showMessages({errorMessage(image.error().message)});
        return;
    }
    pendingReport_ = image.value().report;
    const QByteArray bytes = image.value().bytes;
    record_ = startRecord(QStringLiteral("upload"), main_.state().currentFileName(), bytes);
    panelInRow_ = 1;
    const QString dir = programDir;
    start(Kind::Upload, [bytes, dir](SerialLine& line, const ProgrammingOptions& o) {
        return ondrel::UploadConfiguration(line, bytes, dir, o);
    });
}

void PanelProgramming::RestoreFactorySetup() {
    if (isRunning() || !firmwareAtHand([this] { RestoreFactorySetup(); }))
        return;
    // The monitor may hold the same port.
    main_.releaseMonitorPort();
    const QString dir = programDir;
    record_ = startRestoreRecord(dir);
    panelInRow_ = 1;
    start(Kind::Restore, [dir](SerialLine& line, const ProgrammingOptions& o) {
        return ondrel::RestoreFactorySetup(line, dir, o);
    });
}

void PanelProgramming::UpdateFirmware() {
    if (isRunning())
        return;
    // A new dialog each time: the next update starts without a file name or selection.
    if (firmwareDialog_)
        firmwareDialog_->close();
    firmwareDialog_ = new QFileDialog(&main_, tr("Firmware"),
                                      QDir(programDir).filePath(QStringLiteral("firmware")));
    firmwareDialog_->setObjectName(QStringLiteral("CommonDialog2"));
    firmwareDialog_->setAttribute(Qt::WA_DeleteOnClose);
    firmwareDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    firmwareDialog_->setFileMode(QFileDialog::ExistingFile);
    // Name filters match regardless of case, so "1_0_0.hex" shows too.
    firmwareDialog_->setNameFilter(QStringLiteral("*.HEX"));
    connect(firmwareDialog_, &QFileDialog::fileSelected, this, &PanelProgramming::firmwareChosen);
    firmwareDialog_->open();
}

void PanelProgramming::firmwareChosen(const QString& path) {
    if (path.isEmpty() || isRunning())
        return;
    record_ = startFirmwareRecord(path);
    panelInRow_ = 1;
    start(Kind::Firmware, [path](SerialLine& line, const ProgrammingOptions& o) {
        return ondrel::UpdateFirmware(line, path, o);
    });
}

bool PanelProgramming::firmwareAtHand(std::function<void()> again) {
    if (firmwareFilePresent(programDir))
        return true;
    const QStringList folders = firmwareFolders(programDir);
    auto* box = new QMessageBox(
        QMessageBox::Warning, tr("Firmware Missing"),
        tr("The panel firmware of this version, \"%1\", was not found. It is looked for in\n\n"
           "%2\n%3\n\nThe firmware comes from the panel's maker. Choose the file: it is checked, "
           "then copied into the second folder, and programming goes on.")
            .arg(firmwareFileName(), QDir::toNativeSeparators(folders.at(0)),
                 QDir::toNativeSeparators(folders.at(1))),
        QMessageBox::Cancel, &main_);
    box->setObjectName(QStringLiteral("firmwareMissing"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* choose = box->addButton(tr("Choose File..."), QMessageBox::AcceptRole);
    choose->setObjectName(QStringLiteral("chooseFirmware"));
    box->setDefaultButton(choose);
    connect(choose, &QPushButton::clicked, this, [this, again] { chooseFirmwareFile(again); });
    box->open();
    return false;
}

void PanelProgramming::chooseFirmwareFile(std::function<void()> again) {
    auto* dialog =
        new QFileDialog(&main_, tr("Firmware"), QDir::homePath(), tr("Firmware (*.hex *.HEX)"));
    dialog->setObjectName(QStringLiteral("firmwareChooser"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, [this, again](const QString& path) {
        const Result<QString> copied = installFirmwareFile(path);
        if (!copied) {
            const Error& e = copied.error();
            showMessages({errorMessage(tr("%1\n\nNothing was copied.").arg(e.message))});
            return;
        }
        main_.statusBar()->showMessage(
            tr("Firmware copied to %1").arg(QDir::toNativeSeparators(copied.value())), 8000);
        if (again)
            again();
    });
    dialog->open();
}

void PanelProgramming::showPreviousUpload() {
    upload_->setAttribute(Qt::WA_ShowWithoutActivating, false);
    upload_->show();
    upload_->raise();
    upload_->activateWindow();
}

QString PanelProgramming::uploadPortDescription(int port) const {
    return lines_.describe(port);
}

void PanelProgramming::start(Kind kind, Run run) {
    const Result<QString> device = lines_.deviceForPort(main_.state().uploadPort());
    if (!device) {
        showMessages({errorMessage(device.error().message)});
        return;
    }
    std::shared_ptr<SerialLine> line = lines_.create(device.value());
    line_ = line;
    lastRun_ = run;
    const bool started = worker_.start(
        [line, run = std::move(run)](const ProgrammingOptions& o) { return run(*line, o); },
        options);
    if (!started)
        return;
    kind_ = kind;
    if (auto* hint = resetPrompt_->findChild<QLabel*>(QStringLiteral("hint"))) {
        if (firstHint_.isEmpty())
            firstHint_ = hint->text();
        hint->setText(panelInRow_ == 1
                          ? firstHint_
                          : tr("Panel %1: press the reset button on the next panel. Esc stops.")
                                .arg(panelInRow_));
    }
    record_.time = startRecord(QString(), QString(), QByteArray()).time;
    record_.device = device.value();
    record_.port = QString::number(main_.state().uploadPort());
    elapsed_.start();
    setCommandsEnabled(false);
}

void PanelProgramming::setCommandsEnabled(bool enabled) {
    for (QPushButton* button : {main_.uploadButton(), main_.restoreButton()})
        button->setEnabled(enabled);
    upload_->setRunning(!enabled);
    emit commandsEnabledChanged(enabled);
}

void PanelProgramming::onStage(ProgrammingStage stage) {
    switch (stage) {
    case ProgrammingStage::WaitingForReset:
        // The line is open and written no more until the next open: safe to read here.
        resetPrompt_->setLineNotice(line_ ? line_->notice() : QString());
        resetPrompt_->prompt();
        break;
    case ProgrammingStage::LoadingFirmware:
        resetPrompt_->hide();
        break;
    case ProgrammingStage::WritingBlocks:
        resetPrompt_->hide();
        if (kind_ == Kind::Upload) {
            // The report appears once the panel has answered, so a skipped upload leaves it
            // empty.
            QString report = pendingReport_;
            upload_->Text1()->setPlainText(
                report.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            // Beside the progress, not over it: the progress window keeps the keyboard, so Esc
            // still cancels.
            upload_->setAttribute(Qt::WA_ShowWithoutActivating);
            upload_->show();
            progressWindow_->raise();
            progressWindow_->activateWindow();
        }
        break;
    case ProgrammingStage::Finished:
        break;
    }
}

void PanelProgramming::onFinished(const ProgrammingResult& result) {
    resetPrompt_->hide();
    progressWindow_->hide();
    setCommandsEnabled(true);
    recordHistory(result);
    const bool hideReport = kind_ == Kind::Upload && result.succeeded();
    showMessages(result.messages, [this, hideReport] {
        if (hideReport)
            upload_->hide();
        // Many rooms: straight on to the next panel's "Press Reset".
        if (hideReport && mnuManyRooms_->isChecked())
            nextPanel();
    });
    emit finished(result);
}

void PanelProgramming::recordHistory(const ProgrammingResult& result) {
    // Esc at the next panel's prompt ends a row of uploads; no panel was touched.
    if (panelInRow_ > 1 && result.outcome == ProgrammingResult::Outcome::Cancelled &&
        result.packetsSent == 0)
        return;
    finishRecord(record_, result, elapsed_.elapsed());
    if (const Status added = appendHistory(record_); !added)
        showError(&main_, added.error().message);
    else
        emit historyAdded();
}

void PanelProgramming::nextPanel() {
    if (isRunning() || !lastRun_)
        return;
    ++panelInRow_;
    start(Kind::Upload, lastRun_);
}

void PanelProgramming::showMessages(QList<UserMessage> messages, std::function<void()> done) {
    if (messages.isEmpty()) {
        if (done)
            done();
        return;
    }
    const UserMessage message = messages.takeFirst();
    const QString title =
        message.title.isEmpty() ? QApplication::applicationDisplayName() : message.title;
    QMessageBox* box = showMessage(&main_, boxIcon(message.icon), title, message.text);
    box->setObjectName(QStringLiteral("programmingMessage"));
    connect(box, &QMessageBox::finished, this,
            [this, messages, done] { showMessages(messages, done); });
}

} // namespace ondrel::ui
