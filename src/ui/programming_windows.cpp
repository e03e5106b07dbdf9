#include "programming_windows.h"

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

    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    // The report is a column dump: long lines scroll rather than wrap.
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    command1_ = new QPushButton(tr("Exit"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    connect(command1_, &QPushButton::clicked, this, &QWidget::hide);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (running_)
            emit cancelRequested();
        else
            hide();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text1_);
    layout->addLayout(buttons);
    resize(560, 420);
}

ResetPrompt::ResetPrompt(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(tr("Kestrun"));
    setModal(true);

    label1_ = new QLabel(tr("Press Reset"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setAlignment(Qt::AlignCenter);
    QFont large = label1_->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    label1_->setFont(large);
    auto* hint = new QLabel(tr("Press the reset button on the panel. Esc gives up."), this);
    hint->setObjectName(QStringLiteral("hint"));
    hint->setAlignment(Qt::AlignCenter);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("lblLineNotice"));
    notice_->setWordWrap(true);
    notice_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1_);
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
    progressBar1_ = new QProgressBar(this);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    cancel_->setAutoDefault(false); // Enter must not stop a transfer by accident
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progressBar1_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    setMinimumWidth(360);
}

void ProgressWindow::reject() {
    cancel_->setEnabled(false); // once: the procedure stops at the next block
    emit cancelRequested();
}

void ProgressWindow::showProgress(const QString& caption, int value, int maximum) {
    setWindowTitle(caption);
    progressBar1_->setRange(0, maximum);
    progressBar1_->setValue(value);
    if (!isVisible()) {
        cancel_->setEnabled(true);
        show();
        raise();
        activateWindow();
    }
}

} // namespace ondrel::ui
