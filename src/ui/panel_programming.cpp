#include "panel_programming.h"

#include "app_paths.h"
#include "frm_main.h"
#include "messages.h"
#include "programming/config_image.h"
#include "programming_windows.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
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

    connect(&worker_, &ProgrammingWorker::stageChanged, this, &PanelProgramming::onStage);
    connect(&worker_, &ProgrammingWorker::progressChanged, progressWindow_,
            &ProgressWindow::showProgress);
    connect(&worker_, &ProgrammingWorker::finished, this, &PanelProgramming::onFinished);

    connect(main.uploadButton(), &QPushButton::clicked, this,
            &PanelProgramming::UploadConfiguration);
    connect(main.mnuUpload, &QAction::triggered, this, &PanelProgramming::UploadConfiguration);
    connect(main.restoreButton(), &QPushButton::clicked, this,
            &PanelProgramming::RestoreFactorySetup);
    connect(main.mnuRestore, &QAction::triggered, this, &PanelProgramming::RestoreFactorySetup);
    connect(main.mnuFrmWare, &QAction::triggered, this, &PanelProgramming::UpdateFirmware);
    connect(main.mnuViewDta, &QAction::triggered, this, &PanelProgramming::showPreviousUpload);
    main.mnuCommSett->setToolTipsVisible(true);
    connect(main.mnuCommSett, &QMenu::aboutToShow, this, &PanelProgramming::describeUploadPorts);
}

// The worker's destructor cancels a running procedure and waits: the line is closed on the way
// out.
PanelProgramming::~PanelProgramming() = default;

void PanelProgramming::UploadConfiguration() {
    if (isRunning())
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
    const QString dir = programDir;
    start(Kind::Upload, [bytes, dir](SerialLine& line, const ProgrammingOptions& o) {
        return ondrel::UploadConfiguration(line, bytes, dir, o);
    });
}

void PanelProgramming::RestoreFactorySetup() {
    if (isRunning())
        return;
    // The monitor may hold the same port.
    main_.releaseMonitorPort();
    const QString dir = programDir;
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
    start(Kind::Firmware, [path](SerialLine& line, const ProgrammingOptions& o) {
        return ondrel::UpdateFirmware(line, path, o);
    });
}

void PanelProgramming::showPreviousUpload() {
    upload_->show();
    upload_->raise();
    upload_->activateWindow();
}

void PanelProgramming::describeUploadPorts() {
    for (int p = 1; p <= 3; ++p) {
        const QString text = lines_.describe(p);
        main_.uploadport[size_t(p)]->setStatusTip(text);
        main_.uploadport[size_t(p)]->setToolTip(text);
    }
}

void PanelProgramming::start(Kind kind, Run run) {
    const Result<QString> device = lines_.deviceForPort(main_.state().uploadPort);
    if (!device) {
        showMessages({errorMessage(device.error().message)});
        return;
    }
    std::shared_ptr<SerialLine> line = lines_.create(device.value());
    const bool started = worker_.start(
        [line, run = std::move(run)](const ProgrammingOptions& o) { return run(*line, o); },
        options);
    if (!started)
        return;
    kind_ = kind;
    setCommandsEnabled(false);
}

void PanelProgramming::setCommandsEnabled(bool enabled) {
    for (QPushButton* button : {main_.uploadButton(), main_.restoreButton()})
        button->setEnabled(enabled);
    for (QAction* action : {main_.mnuUpload, main_.mnuRestore, main_.mnuFrmWare,
                            main_.uploadport[1], main_.uploadport[2], main_.uploadport[3]})
        action->setEnabled(enabled);
}

void PanelProgramming::onStage(ProgrammingStage stage) {
    switch (stage) {
    case ProgrammingStage::WaitingForReset:
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
            upload_->show();
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
    const bool hideReport = kind_ == Kind::Upload && result.succeeded();
    showMessages(result.messages, [this, hideReport] {
        if (hideReport)
            upload_->hide();
    });
    emit finished(result);
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
