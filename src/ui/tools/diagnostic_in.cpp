#include "ui/tools/diagnostic_in.h"

#include "tools/byte_presentation.h"
#include "ui/messages.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>

namespace ondrel::ui {
namespace {
constexpr qint32 kBaudSettings[5] = {9600, 19200, 28800, 38400, 115200};
constexpr int kParagraphLength = 4096;
constexpr int kMaxParagraphs = 4000; // the oldest data goes once the box holds about 16 MB
} // namespace

Diagnostic_in::Diagnostic_in(const SerialLineFactory& lines, QWidget* parent)
    : QWidget(parent, Qt::Window), port_(lines) {
    setObjectName(QStringLiteral("Diagnostic_in"));
    setWindowTitle(QStringLiteral("Monitor Incoming Data"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* frame2 = new QGroupBox(QStringLiteral("Communication Settings"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* settingsGrid = new QGridLayout(frame2);
    auto* label2 = new QLabel(QStringLiteral("Com Port"), frame2);
    label2->setObjectName(QStringLiteral("Label2"));
    settingsGrid->addWidget(label2, 0, 0);
    const char* portCaptions[] = {"One", "Two", "Three"};
    auto* ports = new QButtonGroup(this); // the port and baud options share a frame
    for (int i = 1; i <= 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(portCaptions[i - 1]), frame2);
        ports->addButton(option);
        option->setObjectName(QStringLiteral("inDiagCom_%1").arg(i));
        settingsGrid->addWidget(option, 0, i);
        connect(option, &QRadioButton::clicked, this, [this, i] { choosePort(i); });
        inDiagCom_[size_t(i)] = option;
    }
    auto* label3 = new QLabel(QStringLiteral("Baud Rate"), frame2);
    label3->setObjectName(QStringLiteral("Label3"));
    settingsGrid->addWidget(label3, 1, 0);
    auto* bauds = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        auto* option = new QRadioButton(QString::number(kBaudSettings[i]), frame2);
        option->setObjectName(QStringLiteral("diagBaud_%1").arg(i));
        bauds->addButton(option);
        settingsGrid->addWidget(option, 1, i + 1);
        connect(option, &QRadioButton::clicked, this, [this, i] { chooseBaud(i); });
        diagBaud_[size_t(i)] = option;
    }

    auto* frame1 = new QGroupBox(QStringLiteral("Present As"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* formatRow = new QHBoxLayout(frame1);
    auto* label5 = new QLabel(QStringLiteral("Format"), frame1);
    label5->setObjectName(QStringLiteral("Label5"));
    formatRow->addWidget(label5);
    const char* formatCaptions[] = {"ASCII", "Hex", "Decimal"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(formatCaptions[i]), frame1);
        option->setObjectName(QStringLiteral("PresntInas_%1").arg(i));
        formatRow->addWidget(option);
        presntInas_[size_t(i)] = option;
    }
    formatRow->addStretch();

    auto* label1 = new QLabel(QStringLiteral("Incoming Data:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    text1_ = new QPlainTextEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text1_->setMaximumBlockCount(kMaxParagraphs);
    label1->setBuddy(text1_);
    auto* command1 = new QPushButton(QStringLiteral("Clear Window"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    connect(command1, &QPushButton::clicked, text1_, &QPlainTextEdit::clear);

    auto* layout = new QGridLayout(this);
    layout->addWidget(frame2, 0, 0, 1, 2);
    layout->addWidget(frame1, 1, 0, 1, 2);
    layout->addWidget(label1, 2, 0, 1, 2);
    layout->addWidget(text1_, 3, 0, 1, 2);
    layout->addWidget(command1, 4, 1, Qt::AlignRight);
    resize(560, 420);

    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setInterval(100);
    connect(&timer1_, &QTimer::timeout, this, &Diagnostic_in::poll);

    diagBaud_[0]->setChecked(true);
    chooseBaud(0);
    inDiagCom_[1]->setChecked(true);
    choosePort(1);
    presntInas_[0]->setChecked(true);
    timer1_.start();
}

Diagnostic_in::~Diagnostic_in() = default;

void Diagnostic_in::closeEvent(QCloseEvent* event) {
    // The port is free as soon as the window closes, not only when it is deleted.
    port_.close();
    QWidget::closeEvent(event);
}

void Diagnostic_in::releasePort() {
    port_.close();
}

void Diagnostic_in::chooseBaud(int index) {
    settings_ = SerialSettings{kBaudSettings[index], 'N', 8, 1};
    if (Status s = port_.setSettings(settings_); !s)
        showError(this, s.error().message);
}

void Diagnostic_in::choosePort(int port) {
    if (Status s = port_.open(port, settings_); !s)
        showError(this, s.error().message);
}

void Diagnostic_in::poll() {
    const Result<QByteArray> bytes = port_.readWaiting();
    if (!bytes) {
        showError(this, bytes.error().message);
        return;
    }
    Presentation form = Presentation::Ascii;
    if (presntInas_[1]->isChecked())
        form = Presentation::Hex;
    else if (presntInas_[2]->isChecked())
        form = Presentation::Decimal;
    append(presentReceived(bytes.value(), form));
}

void Diagnostic_in::append(const QString& text) {
    QScrollBar* bar = text1_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(text1_->document());
    cursor.movePosition(QTextCursor::End);
    // Laying out one ever longer paragraph gets slower with each byte and would freeze the window
    // on a busy line, so a long paragraph is ended between two reads.
    if (cursor.block().length() > kParagraphLength)
        cursor.insertBlock();
    cursor.insertText(text);
    if (atEnd)
        bar->setValue(bar->maximum());
}

} // namespace ondrel::ui
