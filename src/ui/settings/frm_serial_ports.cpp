#include "ui/settings/frm_serial_ports.h"

#include "platform/qt_serial_line.h"
#include "serial/network_address.h"
#include "ui/widgets/messages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace ondrel::ui {

FrmSerialPorts::FrmSerialPorts(DeviceList devices, QString settingsFile, QWidget* parent)
    : QDialog(parent), devices_(std::move(devices)), settingsFile_(std::move(settingsFile)),
      assignment_(PortAssignment::load(settingsFile_)) {
    setObjectName(QStringLiteral("frmSerialPorts"));
    setWindowTitle(tr("PC Serial Ports"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("Serial ports of this computer. Choose the device each port of the tool reaches, or "
           "type one (a pseudo-terminal, a /dev/serial/by-id/... name). A USB adapter is followed "
           "by its serial number when it comes back under another name. The upload port, the "
           "monitor and the simulator each choose one of these ports."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName(QStringLiteral("lstDevices"));
    table_->setHorizontalHeaderLabels(
        {tr("Device"), tr("Description"), tr("Maker"), tr("USB serial number")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumSize(480, 80);
    layout->addWidget(table_);

    auto* form = new QGridLayout;
    form->setColumnStretch(1, 1);
    for (int port = 1; port <= PortAssignment::kPorts; ++port) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cmbPort_%1").arg(port));
        // Any device the serial layer can try to open may be typed in.
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->lineEdit()->setPlaceholderText(tr("a device, such as /dev/ttyUSB0"));
        combo->setMinimumContentsLength(24);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setToolTip(tr("Choose a device, or type one: a device path, or a serial server in "
                             "the network as rfc2217://HOST:PORT (or socket://HOST:PORT for one "
                             "that passes raw bytes)."));
        auto* label = new QLabel(tr("Port &%1:").arg(port), this);
        label->setBuddy(combo);
        auto* note = new QLabel(this);
        note->setObjectName(QStringLiteral("lblPortNote_%1").arg(port));
        note->setWordWrap(true);
        const int row = 2 * (port - 1);
        form->addWidget(label, row, 0);
        form->addWidget(combo, row, 1);
        form->addWidget(note, row + 1, 1);
        choices_[size_t(port - 1)] = combo;
        notes_[size_t(port - 1)] = note;
    }
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* again = buttons->addButton(tr("Refresh"), QDialogButtonBox::ActionRole);
    again->setObjectName(QStringLiteral("cmdRefresh"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(again, &QPushButton::clicked, this, &FrmSerialPorts::refresh);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (store())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    refresh();
}

void FrmSerialPorts::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    for (QLabel* note : notes_)
        note->setMinimumHeight(note->text().isEmpty() ? 0 : note->heightForWidth(note->width()));
}

void FrmSerialPorts::takeChoice(int port) {
    const QComboBox* combo = cmbPort(port);
    const QString text = combo->currentText().trimmed();
    const int index = text.isEmpty() ? 0 : combo->findText(text);
    if (index == 0) {
        assignment_.clear(port);
    } else if (index > 0 && index - 1 < present_.size()) {
        assignment_.assign(port, present_.at(index - 1));
    } else if (index < 0) {
        // Typed: a device listed under that name keeps its serial number.
        const auto listed = std::find_if(present_.begin(), present_.end(),
                                         [&](const SerialDevice& d) { return d.device == text; });
        SerialDevice typed;
        typed.device = text;
        assignment_.assign(port, listed != present_.end() ? *listed : typed);
    }
    // otherwise: the device chosen before, not here now; its choice stays as it was
}

void FrmSerialPorts::refresh() {
    // What is shown now wins over what was stored, so a refresh keeps unsaved choices.
    if (cmbPort(1)->count() > 0) // not the first listing
        for (int port = 1; port <= PortAssignment::kPorts; ++port)
            takeChoice(port);
    present_ = devices_();
    table_->setRowCount(int(present_.size()));
    for (int r = 0; r < present_.size(); ++r) {
        const SerialDevice& d = present_.at(r);
        const QString cells[] = {d.device, d.description, d.manufacturer, d.serialNumber};
        for (int c = 0; c < 4; ++c)
            table_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    table_->resizeColumnsToContents();

    for (int port = 1; port <= PortAssignment::kPorts; ++port) {
        QComboBox* combo = cmbPort(port);
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItem(tr("Automatic: device no. %1 found").arg(port));
        const PortAssignment::Choice& chosen = assignment_.choice(port);
        int selected = 0;
        for (int i = 0; i < present_.size(); ++i) {
            const SerialDevice& d = present_.at(i);
            QString text = d.device;
            if (!d.description.isEmpty())
                text += QStringLiteral(" (%1)").arg(d.description);
            if (!d.serialNumber.isEmpty())
                text += tr(", serial number %1").arg(d.serialNumber);
            combo->addItem(text);
            const bool same = chosen.serialNumber.isEmpty()
                                  ? !chosen.device.isEmpty() && chosen.device == d.device
                                  : d.usb && d.serialNumber == chosen.serialNumber;
            if (same)
                selected = i + 1;
        }
        if (chosen.isSet() && selected == 0) {
            // Not among the devices found: an adapter plugged out (say so), or a device typed in
            // (a pseudo-terminal, a network address), shown as it was typed.
            combo->addItem(chosen.serialNumber.isEmpty()
                               ? chosen.device
                               : tr("%1 (not plugged in)").arg(chosen.device));
            selected = combo->count() - 1;
        }
        combo->setCurrentIndex(selected);
        combo->lineEdit()->setCursorPosition(0); // a long name shows its start
        const QString fromEnvironment = portFromEnvironment(port);
        combo->setEnabled(fromEnvironment.isEmpty());
        notes_[size_t(port - 1)]->setText(
            fromEnvironment.isEmpty()
                ? QString()
                : tr("ONDREL_PORT%1 is set to %2, which wins over the choice here.")
                      .arg(port)
                      .arg(fromEnvironment));
        notes_[size_t(port - 1)]->setVisible(!fromEnvironment.isEmpty());
    }
}

bool FrmSerialPorts::store() {
    for (int port = 1; port <= PortAssignment::kPorts; ++port) {
        const QString text = cmbPort(port)->currentText().trimmed();
        if (isNetworkAddress(text)) {
            if (const auto address = parseNetworkAddress(text); !address) {
                showError(this, address.error().message);
                return false;
            }
        }
    }
    for (int port = 1; port <= PortAssignment::kPorts; ++port)
        takeChoice(port);
    const Status saved = assignment_.save(settingsFile_);
    if (!saved) {
        showError(this, saved.error().message);
        return false;
    }
    return true;
}

} // namespace ondrel::ui
