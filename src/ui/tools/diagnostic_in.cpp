#include "ui/tools/diagnostic_in.h"

#include "app_paths.h"
#include "catalogue/catalogue.h"
#include "tools/byte_presentation.h"
#include "ui/widgets/messages.h"
#include "ui/widgets/window_placement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBlock>

namespace ondrel::ui {
namespace {
constexpr qint32 kBaudSettings[5] = {9600, 19200, 28800, 38400, 115200};
constexpr int kParagraphLength = 4096;
constexpr int kMaxParagraphs = 4000; // the oldest data goes once the box holds about 16 MB
} // namespace

Diagnostic_in::Diagnostic_in(const SerialLineFactory& lines, QWidget* parent,
                             const ProjectState* project)
    : QWidget(parent, Qt::Window), port_(lines), project_(project) {
    setObjectName(QStringLiteral("Diagnostic_in"));
    closeOnEscape(this);
    setWindowTitle(QStringLiteral("Monitor Incoming Data"));
    setAttribute(Qt::WA_DeleteOnClose);

    QGroupBox* settingsFrame = buildSettingsFrame();
    QGroupBox* formatFrame = buildFormatFrame();
    QGroupBox* viewFrame = buildViewFrame();
    layOutWindow(settingsFrame, formatFrame, viewFrame);
    followProject();
    startPolling();
}

QGroupBox* Diagnostic_in::buildSettingsFrame() {
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
    return frame2;
}

QGroupBox* Diagnostic_in::buildFormatFrame() {
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
    return frame1;
}

QGroupBox* Diagnostic_in::buildViewFrame() {
    auto* frame3 = new QGroupBox(QStringLiteral("View"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto* viewRow = new QHBoxLayout(frame3);
    chkTimeStamps_ = new QCheckBox(QStringLiteral("Time stamps, new line after"), frame3);
    chkTimeStamps_->setObjectName(QStringLiteral("chkTimeStamps"));
    spnGap_ = new QSpinBox(frame3);
    spnGap_->setObjectName(QStringLiteral("spnGap"));
    spnGap_->setRange(20, 10000);
    spnGap_->setValue(splitter_.gap());
    spnGap_->setSuffix(QStringLiteral(" ms"));
    spnGap_->setToolTip(QStringLiteral("A pause longer than this starts a new burst"));
    chkHexAscii_ = new QCheckBox(QStringLiteral("Hex and ASCII"), frame3);
    chkHexAscii_->setObjectName(QStringLiteral("chkHexAscii"));
    chkPause_ = new QCheckBox(QStringLiteral("Pause"), frame3);
    chkPause_->setObjectName(QStringLiteral("chkPause"));
    chkPause_->setToolTip(QStringLiteral("Stops the window; the log keeps everything received"));
    for (QWidget* w : {static_cast<QWidget*>(chkTimeStamps_), static_cast<QWidget*>(spnGap_),
                       static_cast<QWidget*>(chkHexAscii_), static_cast<QWidget*>(chkPause_)})
        viewRow->addWidget(w);
    viewRow->addStretch();
    connect(spnGap_, &QSpinBox::valueChanged, this, [this](int ms) { splitter_.setGap(ms); });
    connect(chkTimeStamps_, &QCheckBox::toggled, this, &Diagnostic_in::updateView);
    connect(chkHexAscii_, &QCheckBox::toggled, this, &Diagnostic_in::updateView);
    return frame3;
}

void Diagnostic_in::layOutWindow(QGroupBox* settingsFrame, QGroupBox* formatFrame,
                                 QGroupBox* viewFrame) {
    auto* lblIncoming = new QLabel(QStringLiteral("Incoming Data:"), this);
    lblIncoming->setObjectName(QStringLiteral("Label1"));
    txtIncoming_ = new QPlainTextEdit(this);
    txtIncoming_->setObjectName(QStringLiteral("Text1"));
    txtIncoming_->setReadOnly(true);
    txtIncoming_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtIncoming_->setMaximumBlockCount(kMaxParagraphs);
    lblIncoming->setBuddy(txtIncoming_);
    auto* cmdClear = new QPushButton(QStringLiteral("Clear Window"), this);
    cmdClear->setObjectName(QStringLiteral("Command1"));
    connect(cmdClear, &QPushButton::clicked, txtIncoming_, &QPlainTextEdit::clear);

    auto* cmdSave = new QPushButton(QStringLiteral("Save..."), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setToolTip(QStringLiteral("Saves everything received since the window opened"));
    connect(cmdSave, &QPushButton::clicked, this, &Diagnostic_in::chooseSaveFile);

    auto* layout = new QGridLayout(this);
    layout->addWidget(settingsFrame, 0, 0, 1, 3);
    layout->addWidget(formatFrame, 1, 0, 1, 3);
    layout->addWidget(viewFrame, 2, 0, 1, 3);
    layout->addWidget(lblIncoming, 3, 0, 1, 3);
    layout->addWidget(txtIncoming_, 4, 0, 1, 3);
    layout->addWidget(cmdSave, 5, 1, Qt::AlignRight);
    layout->addWidget(cmdClear, 5, 2);
    layout->setColumnStretch(0, 1);
    // Never taller or wider than the screen (a laptop at 200 %): the lists scroll instead.
    const QRect area = workAreaOf(this);
    resize(QSize(600, 460)
               .boundedTo(area.isEmpty() ? QSize(600, 460) : area.size())
               .expandedTo(minimumSizeHint()));
}

void Diagnostic_in::followProject() {
    updateNamer();
    if (project_)
        connect(project_, &ProjectState::changed, this, &Diagnostic_in::updateNamer);
}

void Diagnostic_in::startPolling() {
    pollTimer_.setObjectName(QStringLiteral("Timer1"));
    pollTimer_.setInterval(100);
    connect(&pollTimer_, &QTimer::timeout, this, &Diagnostic_in::poll);

    diagBaud_[0]->setChecked(true);
    chooseBaud(0);
    inDiagCom_[1]->setChecked(true);
    choosePort(1);
    presntInas_[0]->setChecked(true);
    pollTimer_.start();
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
    settings_ = SerialSettings{kBaudSettings[index], Parity::None, 8, 1};
    if (Status s = port_.setSettings(settings_); !s)
        showError(this, s.error().message);
}

void Diagnostic_in::choosePort(int port) {
    portNumber_ = port;
    openForWindow(this, port_, port, settings_);
}

void Diagnostic_in::poll() {
    const Result<QByteArray> bytes = port_.readWaiting();
    if (!bytes) {
        showError(this, bytes.error().message);
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const Burst& burst : splitter_.feed(bytes.value(), now))
        handleBurst(burst);
    if (auto burst = splitter_.flush(now))
        handleBurst(*burst);
    if (chkPause_->isChecked() || burstView() || bytes.value().isEmpty())
        return;
    bytesShown_ += bytes.value().size();
    Notation form = Notation::Text;
    if (presntInas_[1]->isChecked())
        form = Notation::Hex;
    else if (presntInas_[2]->isChecked())
        form = Notation::Decimal;
    append(presentReceived(bytes.value(), form));
}

bool Diagnostic_in::burstView() const {
    return chkTimeStamps_->isChecked() || chkHexAscii_->isChecked();
}

void Diagnostic_in::updateView() {
    // Bursts need a finer tick to tell their pauses apart; the plain view keeps its 100 ms.
    pollTimer_.setInterval(burstView() ? 20 : 100);
    txtIncoming_->setFont(
        chkHexAscii_->isChecked() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : font());
    txtIncoming_->setLineWrapMode(chkHexAscii_->isChecked() ? QPlainTextEdit::NoWrap
                                                            : QPlainTextEdit::WidgetWidth);
}

void Diagnostic_in::updateNamer() {
    if (!project_)
        return;
    const Catalogue catalogue(catalogPath());
    namer_ = BurstNamer(*project_, catalogueStrings(*project_, catalogue));
}

void Diagnostic_in::handleBurst(const Burst& burst) {
    const QString name = namer_.name(burst.bytes);
    const QString port = QStringLiteral("port %1 (%2)").arg(portNumber_).arg(port_.deviceName());
    log_.append(monitorLogLine(burst, port, settings_.toString(), name));
    if (chkPause_->isChecked() || !burstView())
        return;
    bytesShown_ += burst.bytes.size();
    const QString stamp =
        chkTimeStamps_->isChecked() ? burstTime(burst.startMs) + QStringLiteral("  ") : QString();
    QStringList rows;
    if (chkHexAscii_->isChecked()) {
        rows = hexAsciiRows(burst.bytes, 8);
    } else {
        Notation form = Notation::Text;
        if (presntInas_[1]->isChecked())
            form = Notation::Hex;
        else if (presntInas_[2]->isChecked())
            form = Notation::Decimal;
        rows << presentReceived(burst.bytes, form);
    }
    rows[0] = stamp + rows[0] + QStringLiteral("  = ") + name;
    for (qsizetype i = 1; i < rows.size(); ++i)
        rows[i] = QString(stamp.size(), QLatin1Char(' ')) + rows[i];
    QTextCursor cursor(txtIncoming_->document());
    cursor.movePosition(QTextCursor::End);
    if (!txtIncoming_->document()->isEmpty())
        cursor.insertBlock();
    QScrollBar* bar = txtIncoming_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    cursor.insertText(rows.join(QLatin1Char('\n')));
    if (atEnd)
        bar->setValue(bar->maximum());
}

Status Diagnostic_in::saveLog(const QString& path) {
    return log_.saveTo(path, QStringLiteral("Ondrel monitor log, saved %1\n")
                                 .arg(burstDateTime(QDateTime::currentMSecsSinceEpoch())));
}

void Diagnostic_in::chooseSaveFile() {
    auto* dialog = new QFileDialog(this, QStringLiteral("Save the received data"), QString(),
                                   QStringLiteral("Log files (*.log *.txt);;All files (*)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("log"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        if (Status s = saveLog(path); !s)
            showError(this, s.error().message);
    });
    dialog->open();
}

void Diagnostic_in::append(const QString& text) {
    QScrollBar* bar = txtIncoming_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    QTextCursor cursor(txtIncoming_->document());
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
