#pragma once

#include "serial/port_assignment.h"

#include <QDialog>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QTableWidget;

namespace ondrel::ui {

// "PC Serial Ports": the machine's serial devices with what the system knows of them, and which
// device each of the ports 1 to 3 reaches, chosen from the list or typed (any device the serial
// layer can try to open). "OK" keeps the choice for this user. Modeless.
class FrmSerialPorts : public QDialog {
    Q_OBJECT
public:
    using DeviceList = std::function<QList<SerialDevice>()>;
    // `devices` lists the ports present; `settingsFile` keeps the choice.
    FrmSerialPorts(DeviceList devices, QString settingsFile, QWidget* parent = nullptr);

    QTableWidget* lstDevices() const { return table_; }
    // The choice for port `port` (1 to 3): item 0 "Automatic", then one item per device; a
    // device or a network address may be typed instead.
    QComboBox* cmbPort(int port) const { return choices_.at(size_t(port - 1)); }

    // Lists the devices again (an adapter plugged in meanwhile) keeping the choices shown.
    void refresh();
    // Keeps the choices shown; false (with a message) when they could not be written.
    bool store();

protected:
    // A word-wrapped note needs more lines as the window narrows (200 % on a small screen): its
    // height follows its width, and the device table gives way instead.
    void resizeEvent(QResizeEvent* event) override;

private:
    // Takes what the list of port `port` shows (an item, or a device typed in) as its choice.
    void takeChoice(int port);

    DeviceList devices_;
    QString settingsFile_;
    QList<SerialDevice> present_;
    PortAssignment assignment_;
    QTableWidget* table_ = nullptr;
    std::array<QComboBox*, PortAssignment::kPorts> choices_{};
    std::array<QLabel*, PortAssignment::kPorts> notes_{};
};

} // namespace ondrel::ui
