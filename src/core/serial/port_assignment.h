#pragma once

#include "result.h"

#include <QList>
#include <QString>
#include <array>

namespace ondrel {

// A serial device present on this machine, as the system describes it.
struct SerialDevice {
    QString device;      // path or name to open ("/dev/ttyUSB0", "COM3")
    QString description; // what the system says about it ("USB serial, FT232R USB UART")
    bool usb = false;
    QString manufacturer = {}; // the maker the USB descriptor names; empty for built-in ports
    QString serialNumber = {}; // the USB adapter's own serial number; empty when it has none
};

// Which device each of the PC ports 1 to 3 (upload, monitor, simulator) reaches, as the installer
// chose it. A USB adapter with a serial number is remembered by that number, so the choice
// follows it when it comes back under another device name; other ports by their device name.
class PortAssignment {
public:
    struct Choice {
        QString device;       // the device name when chosen
        QString serialNumber; // the adapter's serial number, if it has one
        bool isSet() const { return !device.isEmpty() || !serialNumber.isEmpty(); }
    };

    static constexpr int kPorts = 3;

    const Choice& choice(int port) const { return choices_.at(size_t(port - 1)); }
    void assign(int port, const SerialDevice& device);
    void clear(int port);

    // The device port `port` reaches among `present`: the chosen adapter wherever it is now,
    // or the chosen device name; without a choice, the port-th device present. An error says
    // why there is none.
    Result<QString> deviceFor(int port, const QList<SerialDevice>& present) const;

    // Kept in an INI file ("ports/<n>/device", "ports/<n>/serial"); a missing file is no choice.
    static PortAssignment load(const QString& settingsFile);
    Status save(const QString& settingsFile) const;

private:
    std::array<Choice, kPorts> choices_;
};

} // namespace ondrel
