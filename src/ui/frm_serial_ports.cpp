#include "frm_serial_ports.h"

#include "messages.h"
#include "platform/qt_serial_line.h"
#include "serial/network_address.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ondrel::ui {

namespace {
const char* const kUse[PortAssignment::kPorts] = {"upload", "monitor", "simulator"};
} // namespace

FrmSerialPorts::FrmSerialPorts(DeviceList devices, QString settingsFile, QWidget* parent)
    : QDialog(parent), devices_(std::move(devices)), settingsFile_(std::move(settingsFile)),
      assignment_(PortAssignment::load(settingsFile_)) {
    setObjectName(QStringLiteral("frmSerialPorts"));
    setWindowTitle(tr("PC Serial Ports"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("Serial ports of this computer. Choose the device each port of the tool reaches; a "
           "USB adapter is followed by its serial number when it comes back under another name."),
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
    table_->setMinimumSize(480, 120);
    layout->addWidget(table_);

    auto* form = new QFormLayout;
    for (int port = 1; port <= PortAssignment::kPorts; ++port) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cmbPort_%1").arg(port));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setToolTip(tr("Choose a device, or type one: a device path, or a serial server in "
                             "the network as rfc2217://HOST:PORT (or socket://HOST:PORT for one "
                             "that passes raw bytes)."));
        auto* note = new QLabel(this);
        note->setObjectName(QStringLiteral("lblPortNote_%1").arg(port));
        note->setWordWrap(true);
        auto* row = new QVBoxLayout;
        row->addWidget(combo);
        row->addWidget(note);
        form->addRow(tr("Port %1 (%2):").arg(port).arg(tr(kUse[port - 1])), row);
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

void FrmSerialPorts::refresh() {
    // What is shown now wins over what was stored, so a refresh keeps unsaved choices.
    for (int port = 1; port <= PortAssignment::kPorts; ++port) {
        const int index = cmbPort(port)->currentIndex();
        if (!typed(port).isEmpty())
            assignment_.assign(port, {typed(port), {}, false});
        else if (index > 0 && index - 1 < present_.size())
            assignment_.assign(port, present_.at(index - 1));
        else if (index == 0)
            assignment_.clear(port);
    }
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
            // The chosen device is not here now: keep the choice, say so.
            combo->addItem(isNetworkAddress(chosen.device)
                               ? chosen.device
                               : tr("%1 (not plugged in)").arg(chosen.device));
            selected = combo->count() - 1;
        }
        combo->setCurrentIndex(selected);
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

QString FrmSerialPorts::typed(int port) const {
    const QComboBox* combo = cmbPort(port);
    const QString text = combo->currentText().trimmed();
    return text == combo->itemText(combo->currentIndex()).trimmed() ? QString() : text;
}

bool FrmSerialPorts::store() {
    for (int port = 1; port <= PortAssignment::kPorts; ++port) {
        const QString text = typed(port);
        if (isNetworkAddress(text)) {
            if (const auto address = parseNetworkAddress(text); !address) {
                showError(this, address.error().message);
                return false;
            }
        }
    }
    for (int port = 1; port <= PortAssignment::kPorts; ++port) {
        const int index = cmbPort(port)->currentIndex();
        if (!typed(port).isEmpty())
            assignment_.assign(port, {typed(port), {}, false});
        else if (index == 0)
            assignment_.clear(port);
        else if (index - 1 < present_.size())
            assignment_.assign(port, present_.at(index - 1));
        // otherwise: the chosen adapter is away; its choice stays as it was
    }
    const Status saved = assignment_.save(settingsFile_);
    if (!saved) {
        showError(this, saved.error().message);
        return false;
    }
    return true;
}

} // namespace ondrel::ui
