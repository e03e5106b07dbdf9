#include "ui/buttons/frm_config_buttons.h"

#include "project/project_state.h"
#include "ui/buttons/dlg_btn_set_up.h"
#include "ui/buttons/frm_command_editor.h"
#include "ui/buttons/frm_string_enter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace ondrel::ui {

namespace {

const char* const kTypeCaptions[] = {"On", "Off", "Source", "Momentary", "Toggle"};
const char* const kRelayCaptions[] = {"On", "Off", "Momentary", "No Change"};
const char* const kRelayGroupNames[] = {"OptRelay1", "OptRelay2", "OptRelay1_2", "OptRelay2_2"};

// Selects the option of `group` whose index `value` denotes; a value without an option (a
// file may bring one in) leaves none selected, and the record keeps it.
void selectOption(QButtonGroup* group, const Value& value) {
    const std::optional<qint64> index = value.toInteger();
    QAbstractButton* option = index ? group->button(static_cast<int>(*index)) : nullptr;
    if (option) {
        option->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

} // namespace

FrmConfigButtons::FrmConfigButtons(ProjectState& state, QWidget* parent)
    : QDialog(parent), state_(state), loadTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("FrmConfigButtons"));
    setWindowTitle(tr("Button Configuration"));
    setAttribute(Qt::WA_DeleteOnClose);

    QGroupBox* typeFrame = buildTypeFrame();
    buildUseChoice();
    auto* finalize = new QPushButton(tr("Finalize Configuration"), this);
    finalize->setObjectName(QStringLiteral("BtnFinalize"));
    finalize->setDefault(true);
    connect(finalize, &QPushButton::clicked, this, [this] {
        emit finalized();
        close();
    });

    auto* left = new QVBoxLayout;
    left->addWidget(typeFrame);
    left->addSpacing(8);
    left->addWidget(sngUse_);
    left->addWidget(dualUse_);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(buildFunctionFrame(0));
    right->addWidget(buildFunctionFrame(1));
    right->addStretch();
    right->addWidget(finalize, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    setTabOrderOfFields(finalize);

    loadTimer_->setObjectName(QStringLiteral("Timer1"));
    loadTimer_->setSingleShot(true);
    loadTimer_->setInterval(30);
    connect(loadTimer_, &QTimer::timeout, this, &FrmConfigButtons::loadTypeAndOptions);
    loadTimer_->start();
    layOut(false);
}

QGroupBox* FrmConfigButtons::buildTypeFrame() {
    // Button type and options.
    auto* frame = new QGroupBox(tr("Button Type"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* typeLayout = new QVBoxLayout(frame);
    buttonType_ = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        auto* option = new QRadioButton(tr(kTypeCaptions[i]), frame);
        option->setObjectName(QStringLiteral("ButtonType_%1").arg(i));
        buttonType_->addButton(option, i);
        typeLayout->addWidget(option);
    }
    connect(buttonType_, &QButtonGroup::idClicked, this,
            [this](int i) { setRecordField(&ButtonConfig::Button_type, i); });
    auto checkBox = [&](const char* name, const QString& caption, auto field) {
        auto* box = new QCheckBox(caption, frame);
        box->setObjectName(QString::fromLatin1(name));
        typeLayout->addWidget(box);
        connect(box, &QCheckBox::clicked, this,
                [this, field](bool ticked) { setRecordField(field, ticked ? 1 : 0); });
        return box;
    };
    typeLayout->addSpacing(6);
    chkClrwSrce_ = checkBox("chkClrwSrce", tr("Clear With Sources"), &ButtonConfig::clrWthSrc);
    repeating_ = checkBox("Repeating", tr("Repeating"), &ButtonConfig::Repeatng);
    incrementing_ = checkBox("Incrementing", tr("Inrementing"), &ButtonConfig::Incr);
    incrementing_->hide();
    typeLayout->addStretch();
    return frame;
}

void FrmConfigButtons::buildUseChoice() {
    sngUse_ = new QRadioButton(tr("Single Command Button"), this);
    sngUse_->setObjectName(QStringLiteral("SngUse"));
    dualUse_ = new QRadioButton(tr("Dual Command Button"), this);
    dualUse_->setObjectName(QStringLiteral("DualUse"));
    connect(sngUse_, &QRadioButton::clicked, this, [this] {
        layOut(false);
        state_.updateButton(ButtonNumber, [](ButtonConfig& record) { record.clrDualFunction(); });
    });
    connect(dualUse_, &QRadioButton::clicked, this, [this] {
        layOut(true);
        state_.updateButton(ButtonNumber, [](ButtonConfig& record) { record.setDualFunction(); });
    });
}

void FrmConfigButtons::setTabOrderOfFields(QWidget* finalize) {
    // Tab follows what the installer fills in: the commands and relays of each function, then
    // the button type and its options, then "Finalize Configuration".
    QList<QWidget*> order;
    for (size_t f = 0; f < 2; ++f) {
        order << txtPort1_[f] << btnCnfgOne_[f] << btnEditOne_[f] << txtPort2_[f] << btnCnfgTwo_[f]
              << btnEditTwo_[f];
        for (size_t g : {f * 2, f * 2 + 1})
            for (QAbstractButton* option : optRelay_[g]->buttons())
                order << option;
    }
    for (QAbstractButton* option : buttonType_->buttons())
        order << option;
    order << chkClrwSrce_ << repeating_ << incrementing_ << sngUse_ << dualUse_ << finalize;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

FrmConfigButtons::~FrmConfigButtons() = default;

QGroupBox* FrmConfigButtons::buildFunctionFrame(int index) {
    const auto i = size_t(index);
    auto* frame =
        new QGroupBox(index == 0 ? tr("Primary Function") : tr("Secondary Function"), this);
    frame->setObjectName(QStringLiteral("FrmButtonCnfg_%1").arg(index));
    frmButtonCnfg_[i] = frame;
    auto* grid = new QGridLayout(frame);

    auto named = [index](QWidget* w, const char* name) {
        w->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
        return w;
    };
    auto commandRow = [&](int row, const QString& caption, const char* labelName,
                          const char* boxName, const QString& buttonCaption, const char* buttonName,
                          CommandPort port, QLabel*& label, QLineEdit*& box, QPushButton*& button) {
        label = static_cast<QLabel*>(named(new QLabel(caption, frame), labelName));
        box = static_cast<QLineEdit*>(named(new QLineEdit(frame), boxName));
        box->setReadOnly(true);
        box->setMinimumWidth(260);
        box->setCursor(Qt::PointingHandCursor);
        box->installEventFilter(this);
        button =
            static_cast<QPushButton*>(named(new QPushButton(buttonCaption, frame), buttonName));
        connect(button, &QPushButton::clicked, this,
                [this, index, port] { openCountDialog(index, port); });
        auto* edit = named(new QPushButton(tr("Edit\u2026"), frame),
                           port == CommandPort::One ? "BtnEditOne" : "BtnEditTwo");
        edit->setToolTip(tr("Type or paste the whole command"));
        connect(static_cast<QPushButton*>(edit), &QPushButton::clicked, this,
                [this, index, port] { openCommandEditor(index, port); });
        (port == CommandPort::One ? btnEditOne_ : btnEditTwo_)[size_t(index)] = edit;
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(button, row, 2);
        grid->addWidget(edit, row, 3);
    };
    commandRow(0, tr("Port One Command:"), "CmdPortOne", "TxtPort1", tr("Configure "), "BtnCnfgOne",
               CommandPort::One, cmdPortOne_[i], txtPort1_[i], btnCnfgOne_[i]);
    commandRow(1, tr("Port Two Command:"), "CmdPortTwo", "TxtPort2", tr("Configure"), "BtnCnfgTwo",
               CommandPort::Two, cmdPortTwo_[i], txtPort2_[i], btnCnfgTwo_[i]);

    // Relay frames: four options for the primary function, three (no "No Change") for the
    // secondary one, whose frames stay hidden so that its relays keep the record's values.
    const int options = index == 0 ? 4 : 3;
    for (int relay = 0; relay < 2; ++relay) {
        auto* relayFrame = new QGroupBox(relay == 0 ? tr("Relay One") : tr("Relay Two"), frame);
        named(relayFrame, relay == 0 ? "frmRelayOne" : "frmRelayTwo");
        (relay == 0 ? frmRelayOne_ : frmRelayTwo_)[i] = relayFrame;
        auto* row = new QHBoxLayout(relayFrame);
        const int relayNum = index * 2 + relay + 1;
        auto* group = new QButtonGroup(this);
        optRelay_[size_t(relayNum - 1)] = group;
        for (int o = 0; o < options; ++o) {
            auto* option = new QRadioButton(tr(kRelayCaptions[o]), relayFrame);
            option->setObjectName(
                QStringLiteral("%1_%2").arg(QLatin1String(kRelayGroupNames[relayNum - 1])).arg(o));
            group->addButton(option, o);
            row->addWidget(option);
        }
        row->addStretch();
        connect(group, &QButtonGroup::idClicked, this,
                [this, relayNum](int o) { relayClicked(relayNum, o); });
        grid->addWidget(relayFrame, 2 + relay, 0, 1, 4);
        if (index == 1)
            relayFrame->hide();
    }
    return frame;
}

void FrmConfigButtons::setButtonNumber(int index) {
    ButtonNumber = index;
    showButtonStrings();
    const ButtonConfig& record = state_.button(ButtonNumber);
    Dual_Function_State = record.getDualFunction();
    const RelayInfo relays = record.getRelayInfo();
    selectOption(optRelay_[0], relays.relay1);
    selectOption(optRelay_[1], relays.relay2);
    selectOption(optRelay_[2], relays.relay1_2);
    selectOption(optRelay_[3], relays.relay2_2);
    layOut(Dual_Function_State);
    (Dual_Function_State ? dualUse_ : sngUse_)->setChecked(true);
    chkClrwSrce_->setChecked(record.clrWthSrc.toInteger() == 1);
    // A window switched to another button must not keep the former button's type and options.
    loadTypeAndOptions();
}

void FrmConfigButtons::loadTypeAndOptions() {
    loadTimer_->stop();
    const ButtonConfig& record = state_.button(ButtonNumber);
    selectOption(buttonType_, record.Button_type);
    repeating_->setChecked(record.Repeatng.toInteger() == 1);
    incrementing_->setChecked(record.Incr.toInteger() == 1);
}

void FrmConfigButtons::layOut(bool dualUse) {
    QList<QWidget*> secondary = {frmButtonCnfg_[1], btnCnfgOne_[1], btnCnfgTwo_[1], btnEditOne_[1],
                                 btnEditTwo_[1]};
    for (size_t g = 2; g < 4; ++g)
        for (QAbstractButton* option : optRelay_[g]->buttons())
            secondary.append(option);
    secondary += {txtPort1_[1],    txtPort2_[1],   frmRelayOne_[1],
                  frmRelayTwo_[1], cmdPortOne_[1], cmdPortTwo_[1]};
    for (QWidget* w : secondary)
        w->setEnabled(dualUse);
}

void FrmConfigButtons::setRecordField(Value ButtonConfig::*field, int value) {
    state_.updateButton(ButtonNumber, [&](ButtonConfig& record) { record.*field = value; });
}

void FrmConfigButtons::relayClicked(int relayNum, int option) {
    state_.updateButton(ButtonNumber,
                        [&](ButtonConfig& record) { record.setRelayInfo(relayNum, option); });
}

void FrmConfigButtons::showButtonStrings() {
    const std::array<QString, 4> texts = ShowButtonStrings(state_, ButtonNumber);
    txtPort1_[0]->setText(texts[0]);
    txtPort1_[1]->setText(texts[1]);
    txtPort2_[0]->setText(texts[2]);
    txtPort2_[1]->setText(texts[3]);
}

void FrmConfigButtons::storeEmptyString() {
    storeEmpty(ButtonNumber, target());
}

void FrmConfigButtons::storeCustomString(const ByteList& list) {
    storeCustom(ButtonNumber, target(), list);
}

void FrmConfigButtons::storeTypedString(int button, StringTarget t, const QByteArray& bytes) {
    if (bytes.isEmpty())
        storeEmpty(button, t);
    else
        storeCustom(button, t, ByteList::fromBytes(bytes));
    showButtonStrings();
}

void FrmConfigButtons::storeEmpty(int button, StringTarget t) {
    {
        const ProjectState::Batch batch(state_);
        state_.updateButton(
            button, [&](ButtonConfig& record) { storeCommandString(record, t, ByteList()); });
        state_.setCommandText(t.port == CommandPort::One ? 0 : 1, button, QString());
    }
    showButtonStrings();
}

void FrmConfigButtons::storeCustom(int button, StringTarget t, const ByteList& list) {
    const ProjectState::Batch batch(state_);
    state_.updateButton(button, [&](ButtonConfig& record) { storeCommandString(record, t, list); });
    state_.showCustomCommand(t.port == CommandPort::One ? 0 : 1, button);
}

FrmCommandEditor* FrmConfigButtons::openCommandEditor(int function, CommandPort port) {
    if (commandEditor_)
        commandEditor_->close(); // it deletes itself; one editor at a time
    const int button = ButtonNumber;
    const StringTarget target{port, function};
    commandEditor_ = new FrmCommandEditor(this, state_, button, target,
                                          [this, button, target](const QByteArray& bytes) {
                                              storeTypedString(button, target, bytes);
                                          });
    commandEditor_->show();
    commandEditor_->raise();
    commandEditor_->activateWindow();
    return commandEditor_;
}

void FrmConfigButtons::openCountDialog(int function, CommandPort port) {
    dual = function;
    commandPort = port;
    if (!countDialog_)
        countDialog_ = new DlgBtnSetUp(this, [this](int count) {
            if (count == 0)
                storeEmptyString();
            else
                openStringEntry(count);
        });
    countDialog_->show();
    countDialog_->raise();
    countDialog_->activateWindow();
}

FrmStringEnter* FrmConfigButtons::openStringEntry(int count) {
    if (stringEntry_) {
        // A new count means new fields: the entry in progress is dropped unstored.
        stringEntry_->close();
        delete stringEntry_;
    }
    stringEntry_ = new FrmStringEnter(
        this, count, [this](const ByteList& list) { storeCustomString(list); },
        [this] { showButtonStrings(); });
    stringEntry_->show();
    return stringEntry_;
}

bool FrmConfigButtons::eventFilter(QObject* watched, QEvent* event) {
    const auto* box = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::MouseButtonRelease && box && box->isEnabled()) {
        for (int index = 0; index < 2; ++index) {
            if (watched == txtPort1_[size_t(index)])
                openCountDialog(index, CommandPort::One);
            else if (watched == txtPort2_[size_t(index)])
                openCountDialog(index, CommandPort::Two);
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ondrel::ui
