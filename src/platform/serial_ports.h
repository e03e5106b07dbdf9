#pragma once

#include "serial/port_assignment.h"
#include "serial/serial_line.h"

#include <QList>
#include <memory>

namespace ondrel {

// A serial device present on this machine.
using FoundPort = SerialDevice;

// The serial devices present, in the order of sortSerialPorts(). Each system lists them its own
// way (qt_serial_line.cpp, win_serial_line.cpp).
QList<FoundPort> findSerialPorts();
// USB adapters first, then built-in ports, each in natural name order (ttyS2 before ttyS10).
void sortSerialPorts(QList<FoundPort>& ports);

// A line, not yet open, to `device` through this system's serial driver: QtSerialLine, or
// WinSerialLine on Windows.
std::unique_ptr<SerialLine> makeSystemLine(const QString& device);
// A line, not yet open, to `device`: a serial server in the network for an address
// ("rfc2217://HOST:PORT", "socket://HOST:PORT"), otherwise makeSystemLine(device).
std::unique_ptr<SerialLine> makeSerialLine(const QString& device);

// Port numbers 1 to 3: the device named by ONDREL_PORTn when set; otherwise the device the
// installer assigned to the port (kept in `settingsFile`); otherwise COMn on Windows and the n-th
// device that findSerialPorts() lists elsewhere.
class QtSerialLineFactory final : public SerialLineFactory {
public:
    QtSerialLineFactory();
    explicit QtSerialLineFactory(QString settingsFile) : settingsFile_(std::move(settingsFile)) {}

    Result<QString> deviceForPort(int port) const override;
    // makeSerialLine(device).
    std::unique_ptr<SerialLine> create(const QString& device) const override;

    // Which device port `port` reaches and why, in one line, for status tips and the command
    // line's port list: "Port 1: /dev/ttyUSB0 (USB serial, first device found)".
    QString describe(int port) const override;

private:
    // The file given, or the per-user settings file as it is now (a long-lived factory follows
    // a change of the per-user folder).
    QString settingsFile() const;
    QString settingsFile_;
};

// The environment variable that names port `port`'s device, ONDREL_PORTn, or empty.
QString portFromEnvironment(int port);

} // namespace ondrel
