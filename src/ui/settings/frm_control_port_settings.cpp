#include "ui/settings/frm_control_port_settings.h"
#include "serial/parity.h"

#include "project/project_state.h"
#include "ui/widgets/messages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ondrel::ui {

FrmControlPortSettings::FrmControlPortSettings(ProjectState& state, QWidget* parent)
    : QDialog(parent), state_(state) {
    setObjectName(QStringLiteral("frmControlPortSettings"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* fields = new QFormLayout;
    auto addList = [&](const char* labelName, const QString& caption, const char* listName,
                       const QStringList& items) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(QString::fromLatin1(labelName));
        auto* list = new QComboBox(this);
        list->setObjectName(QString::fromLatin1(listName));
        list->setEditable(true);
        list->setInsertPolicy(QComboBox::NoInsert);
        list->addItems(items);
        list->setCurrentIndex(-1);
        label->setBuddy(list);
        fields->addRow(label, list);
        return list;
    };
    baudRate_ = addList("Label2", tr("Baud Rate"), "cmbBaudRate",
                        {"7600", "9600", "19200", "28800", "38400", "115200"});
    bits_ = addList("Label4", tr("Bits"), "cmbBits", {"8"});
    parity_ = addList("Label1", tr("Parity"), "cmbParity", parityNames());
    stopBit_ = addList("Label3", tr("Stop Bit"), "cmbSbit", {"1"});

    auto* format = new QGroupBox(tr("Format"), this);
    format->setObjectName(QStringLiteral("format"));
    ascii_ = new QRadioButton(tr("ASCII"), format);
    ascii_->setObjectName(QStringLiteral("ChooseAscii"));
    hex_ = new QRadioButton(tr("Hex"), format);
    hex_->setObjectName(QStringLiteral("ChooseHex"));
    auto* formatLayout = new QHBoxLayout(format);
    formatLayout->addWidget(ascii_);
    formatLayout->addWidget(hex_);

    auto* enterButton = new QPushButton(tr("Enter"), this);
    enterButton->setObjectName(QStringLiteral("Command1"));
    enterButton->setDefault(true);
    connect(enterButton, &QPushButton::clicked, this, &FrmControlPortSettings::enter);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(format);
    layout->addWidget(enterButton, 0, Qt::AlignRight);
    setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
}

void FrmControlPortSettings::openForPort(int index) {
    portNumber_ = index;
    show();
    raise();
    activateWindow();
    const CommSets& port = state_.port(index);
    baudRate_->setEditText(port.BaudRate.toText());
    parity_->setEditText(port.Parity.toText());
    stopBit_->setEditText(port.StopBit.toText());
    bits_->setEditText(port.TransmitFormat.toText());
    setWindowTitle(index == 0 ? tr("Setup Control Port One") : tr("Setup Control Port Two"));
    // A choice made for the other port must not carry over when the window is reopened.
    for (QRadioButton* option : {ascii_, hex_}) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    if (notationOf(port.prsentAs) == Notation::Hex)
        hex_->setChecked(true);
    else if (notationOf(port.prsentAs) == Notation::Text)
        ascii_->setChecked(true);
}

namespace {

// A typed value in the spelling of the list item it matches ("even" is "EVEN").
QString listSpelling(const QComboBox* list) {
    const QString typed = list->currentText().trimmed();
    const int item = list->findText(typed, Qt::MatchFixedString);
    return item >= 0 ? list->itemText(item) : typed;
}

} // namespace

void FrmControlPortSettings::enter() {
    CommSets port = state_.port(portNumber_);
    port.BaudRate = listSpelling(baudRate_);
    port.TransmitFormat = listSpelling(bits_);
    port.Parity = listSpelling(parity_);
    port.StopBit = listSpelling(stopBit_);
    // A value outside the lists would reach the panel as "not set up": refused, the dialog stays
    // for the correction. An empty field stays a port never set up.
    if (const QStringList unknown = unknownPortSettings(port); !unknown.isEmpty()) {
        showMessage(this, QMessageBox::Warning, windowTitle(),
                    tr("The panel does not know %1.\n\nChoose a value from the list, or leave "
                       "the field empty for a port that is not used.")
                        .arg(unknown.join(tr(", nor "))));
        return;
    }
    if (ascii_->isChecked())
        port.prsentAs = notationCode(Notation::Text);
    else if (hex_->isChecked())
        port.prsentAs = notationCode(Notation::Hex);
    state_.setPort(portNumber_, port);
    close();
}

} // namespace ondrel::ui
