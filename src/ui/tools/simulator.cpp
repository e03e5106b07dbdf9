#include "ui/tools/simulator.h"

#include "tools/byte_presentation.h"
#include "ui/widgets/messages.h"
#include "ui/widgets/window_placement.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ondrel::ui {
namespace {
constexpr int kMomentaryMs = 1000;
constexpr int kReplyPollMs = 100;
constexpr int kSendTimeoutMs = 2000;

// Places of the ten buttons as in the main window: two on top, then Three to Six and Seven to Ten.
constexpr int kRow[kButtonCount] = {0, 0, 2, 2, 2, 2, 4, 4, 4, 4};
constexpr int kColumn[kButtonCount] = {1, 5, 0, 2, 4, 6, 0, 2, 4, 6};

QLineEdit* readOnlyBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    return box;
}

QLabel* caption(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}
} // namespace

Simulator::Simulator(ProjectState& state, const SerialLineFactory& lines, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), port_(lines) {
    setObjectName(QStringLiteral("Simulator"));
    closeOnEscape(this);
    setWindowTitle(QStringLiteral("Simulation"));
    setAttribute(Qt::WA_DeleteOnClose);

    QGroupBox* buttons = buildButtons();
    QVBoxLayout* devices = buildDeviceOptions();
    QGroupBox* commPort = buildPortFrame();
    QWidget* boxes = buildBoxes();
    layOutWindow(buttons, devices, commPort, boxes);
    setUpTimers();
    start();
}

QGroupBox* Simulator::buildButtons() {
    auto* buttons = new QGroupBox(this);
    auto* grid = new QGridLayout(buttons);
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new QPushButton(QString::number(i + 1), buttons);
        button->setObjectName(QStringLiteral("Command1_%1").arg(i));
        button->setMinimumSize(72, 40);
        connect(button, &QPushButton::clicked, this, [this, i] { press(i); });
        auto* type = readOnlyBox(QStringLiteral("Btype_%1").arg(i), buttons);
        type->setAlignment(Qt::AlignCenter);
        type->setMaximumWidth(110);
        grid->addWidget(button, kRow[i], kColumn[i], 1, 2);
        grid->addWidget(type, kRow[i] + 1, kColumn[i], 1, 2);
        panelButtons_[size_t(i)] = button;
        btype_[size_t(i)] = type;
    }
    return buttons;
}

QVBoxLayout* Simulator::buildDeviceOptions() {
    auto* devices = new QVBoxLayout;
    auto* deviceGroup = new QButtonGroup(this);
    const QString deviceCaptions[2] = {QStringLiteral("Simulate control of device on port one."),
                                       QStringLiteral("Simulate control of device on port two.")};
    for (int k = 0; k < 2; ++k) {
        auto* option = new QRadioButton(deviceCaptions[k], this);
        option->setObjectName(QStringLiteral("Option1_%1").arg(k));
        deviceGroup->addButton(option);
        devices->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this, k] { chooseControlPort(k); });
        deviceOptions_[size_t(k)] = option;
    }
    return devices;
}

QGroupBox* Simulator::buildPortFrame() {
    auto* commPort = new QGroupBox(QStringLiteral("CommPort"), this);
    commPort->setObjectName(QStringLiteral("CommPort"));
    auto* portRow = new QHBoxLayout(commPort);
    for (int n = 1; n <= 3; ++n) {
        auto* option = new QRadioButton(QStringLiteral("Port %1").arg(n), commPort);
        option->setObjectName(QStringLiteral("Commp_%1").arg(n));
        portRow->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this, n] { choosePort(n); });
        commp_[size_t(n)] = option;
    }
    return commPort;
}

QWidget* Simulator::buildBoxes() {
    auto* boxes = new QWidget(this);
    auto* form = new QGridLayout(boxes);
    form->setContentsMargins(0, 0, 0, 0);
    sentD_ = readOnlyBox(QStringLiteral("SentD"), boxes);
    replyD_ = readOnlyBox(QStringLiteral("ReplyD"), boxes);
    relayOne_ = readOnlyBox(QStringLiteral("rely1"), boxes);
    relayTwo_ = readOnlyBox(QStringLiteral("rely2"), boxes);
    messages_ = new QPlainTextEdit(boxes);
    messages_->setObjectName(QStringLiteral("Text1"));
    messages_->setReadOnly(true);
    messages_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    form->addWidget(caption(QStringLiteral("Command:"), sentD_), 0, 0);
    form->addWidget(sentD_, 0, 1, 1, 3);
    form->addWidget(caption(QStringLiteral("Reply:"), replyD_), 1, 0);
    form->addWidget(replyD_, 1, 1, 1, 3);
    form->addWidget(caption(QStringLiteral("Relay One:"), relayOne_), 2, 0);
    form->addWidget(relayOne_, 2, 1);
    form->addWidget(caption(QStringLiteral("RelayTwo:"), relayTwo_), 2, 2);
    form->addWidget(relayTwo_, 2, 3);
    form->addWidget(caption(QStringLiteral("Message:"), messages_), 3, 0, Qt::AlignTop);
    form->addWidget(messages_, 3, 1, 1, 3);
    return boxes;
}

void Simulator::layOutWindow(QGroupBox* buttons, QVBoxLayout* devices, QGroupBox* commPort,
                             QWidget* boxes) {
    auto* cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QGridLayout(this);
    layout->addWidget(buttons, 0, 0, 3, 1);
    layout->addLayout(devices, 0, 1);
    layout->addWidget(commPort, 1, 1);
    layout->addWidget(cmdExit, 2, 1, Qt::AlignRight | Qt::AlignBottom);
    layout->addWidget(boxes, 3, 0, 1, 2);
}

void Simulator::setUpTimers() {
    momentaryTimer_.setObjectName(QStringLiteral("Timer1"));
    momentaryTimer_.setInterval(kMomentaryMs);
    momentaryTimer_.setSingleShot(true);
    connect(&momentaryTimer_, &QTimer::timeout, this, [this] {
        panel_.releaseMomentary(typeTexts());
        showLights();
    });
    replyTimer_.setObjectName(QStringLiteral("Timer2"));
    replyTimer_.setInterval(kReplyPollMs);
    connect(&replyTimer_, &QTimer::timeout, this, &Simulator::collectReply);
}

void Simulator::start() {
    showLights();
    commp_[1]->setChecked(true);
    choosePort(1);
    showTypes();
    // Types follow the records while the window is open.
    connect(&state_, &ProjectState::changed, this, &Simulator::showTypes);
    deviceOptions_[0]->setChecked(true);
    chooseControlPort(0);
    momentaryTimer_.start();
}

Simulator::~Simulator() = default;

void Simulator::closeEvent(QCloseEvent* event) {
    // The port is free as soon as the window closes, not only when it is deleted.
    port_.close();
    QWidget::closeEvent(event);
}

SimulatorPanel::TypeTexts Simulator::typeTexts() const {
    SimulatorPanel::TypeTexts types;
    for (int i = 0; i < kButtonCount; ++i)
        types[size_t(i)] = btype_[size_t(i)]->text();
    return types;
}

Notation Simulator::presentation() const {
    return notationOf(state_.port(simPort_).prsentAs);
}

void Simulator::showTypes() {
    for (int i = 0; i < kButtonCount; ++i)
        btype_[size_t(i)]->setText(simulatorTypeText(state_.button(i).Button_type));
}

void Simulator::showLights() {
    for (int i = 0; i < kButtonCount; ++i)
        panelButtons_[size_t(i)]->setStyleSheet(panel_.isLit(i)
                                                    ? QStringLiteral("background-color: #ffff00;")
                                                    : QStringLiteral("background-color: #ffffff;"));
}

void Simulator::log(const QString& line) {
    messages_->setPlainText(line + QLatin1Char('\n') + messages_->toPlainText());
}

void Simulator::press(int button) {
    const SimulatorPress outcome = panel_.press(button, typeTexts(), state_);
    if (outcome.refused) {
        log(QStringLiteral("Control is currently off!"));
    } else if (outcome.function) {
        upload_ = state_.button(button).setUpldStrngs();
        sendButtonString(*outcome.function);
    }
    showLights();
    showRelays(button);
    // The momentary light stays a full second after the latest press.
    momentaryTimer_.start();
}

void Simulator::sendButtonString(int function) {
    const ByteList& list = simulatorString(upload_, simPort_, function);
    sentD_->clear();
    if (list.upperBound() == 0) {
        sentD_->setText(QStringLiteral("No String Programmed"));
        return;
    }
    const Result<QByteArray> bytes = bytesToSend(list);
    if (!bytes) {
        showError(this, bytes.error().message);
        return;
    }
    SerialLine* line = port_.line();
    if (!line) {
        showError(this, QStringLiteral("No serial port is open; choose a port under CommPort."));
        return;
    }
    Status sent = line->write(bytes.value());
    if (sent)
        sent = line->waitForWritten(kSendTimeoutMs);
    if (!sent) {
        showError(this, sent.error().message);
        return;
    }
    sentD_->setText(presentSent(bytes.value(), presentation()));
    replyStarted_ = false;
    replyTimer_.start();
}

void Simulator::collectReply() {
    const Result<QByteArray> bytes = port_.readWaiting();
    if (!bytes) {
        replyTimer_.stop();
        showError(this, bytes.error().message);
        return;
    }
    if (bytes.value().isEmpty()) {
        // A reply is complete once the line has been quiet for one poll.
        if (replyStarted_ || !isPortOpen())
            replyTimer_.stop();
        return;
    }
    if (!replyStarted_)
        replyD_->clear();
    replyStarted_ = true;
    replyD_->setText(replyD_->text() + presentReceived(bytes.value(), presentation()));
}

void Simulator::showRelays(int button) {
    const ButtonConfig& record = state_.button(button);
    if (const auto text = simulatorRelayText(record.getRelay1St(0)))
        relayOne_->setText(*text);
    if (const auto text = simulatorRelayText(record.getRelay2St(0)))
        relayTwo_->setText(*text);
}

void Simulator::choosePort(int port) {
    openForWindow(this, port_, port, settings_);
}

void Simulator::chooseControlPort(int index) {
    simPort_ = index;
    const CommSets& port = state_.port(index);
    log(simulatorPortLine(index, port));
    const auto text = simulatorSettingsText(port);
    if (!text)
        return;
    const Result<SerialSettings> settings = SerialSettings::parse(*text);
    if (!settings) {
        showError(this, settings.error().message);
        return;
    }
    settings_ = settings.value();
    if (Status s = port_.setSettings(settings_); !s)
        showError(this, s.error().message);
}

} // namespace ondrel::ui
