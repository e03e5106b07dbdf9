#include "ui/main/programming_windows.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace ondrel::ui {

UploadWindow::UploadWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("upload"));
    setWindowTitle(tr("Upload Data"));

    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("Text1"));
    report_->setReadOnly(true);
    // The report is a column dump: long lines scroll rather than wrap.
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    report_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    exitButton_ = new QPushButton(tr("Exit"), this);
    exitButton_->setObjectName(QStringLiteral("Command1"));
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::hide);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (running_)
            emit cancelRequested();
        else
            hide();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exitButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(report_);
    layout->addLayout(buttons);
    resize(560, 420);
}

ResetPrompt::ResetPrompt(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(tr("Kestrun"));
    setModal(true);

    promptLabel_ = new QLabel(tr("Press Reset"), this);
    promptLabel_->setObjectName(QStringLiteral("Label1"));
    promptLabel_->setAlignment(Qt::AlignCenter);
    QFont large = promptLabel_->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    promptLabel_->setFont(large);
    auto* hint = new QLabel(tr("Press the reset button on the panel. Esc gives up."), this);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setAlignment(Qt::AlignCenter);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("lblLineNotice"));
    notice_->setWordWrap(true);
    notice_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel_);
    layout->addWidget(hint);
    layout->addWidget(notice_);
    setMinimumSize(320, 110);
}

void ResetPrompt::setLineNotice(const QString& text) {
    notice_->setText(text);
    notice_->setVisible(!text.isEmpty());
    adjustSize();
}

void ResetPrompt::prompt() {
    shouldexit = 0;
    show();
    raise();
    activateWindow();
}

void ResetPrompt::reject() {
    shouldexit = 1;
    hide();
    emit skipped();
}

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Dialog1"));
    setWindowTitle(tr("Programming...."));
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    cancel_->setAutoDefault(false); // Enter must not stop a transfer by accident
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progressBar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    setMinimumWidth(360);
}

void ProgressWindow::reject() {
    cancel_->setEnabled(false); // once: the procedure stops at the next block
    emit cancelRequested();
}

void ProgressWindow::showProgress(const QString& caption, int value, int maximum) {
    setWindowTitle(caption);
    progressBar_->setRange(0, maximum);
    progressBar_->setValue(value);
    if (!isVisible()) {
        cancel_->setEnabled(true);
        show();
        raise();
        activateWindow();
    }
}

} // namespace ondrel::ui
