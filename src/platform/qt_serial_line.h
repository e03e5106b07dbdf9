#pragma once

#include "serial/port_assignment.h"
#include "serial/serial_line.h"

#include <QList>
#include <memory>

class QSerialPort;

namespace ondrel {

// A PC serial port through QSerialPort, for blocking use on one thread (a worker thread needs no
// event loop). The port object is made on open and dropped on close, so a line created on one
// thread may be opened, used and closed on another.
class QtSerialLine final : public SerialLine {
public:
    explicit QtSerialLine(QString device);
    ~QtSerialLine() override;

    QString deviceName() const override { return device_; }
    Status open(const SerialSettings& settings) override;
    Status setSettings(const SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override;
    Status write(const QByteArray& bytes) override;
    Status waitForWritten(int timeoutMs) override;
    qint64 bytesAvailable() override;
    Result<QByteArray> read(qint64 maxBytes, int timeoutMs) override;

    // Whether the driver agreed to pass each received byte on at once (Linux USB adapters
    // otherwise hold answers back for their latency timer).
    bool lowLatency() const { return lowLatency_; }

private:
    Status applySettings(const SerialSettings& settings);
    // Turns the port's current error into a readable one; a failed line is closed.
    Error lineFailure(const QString& doing);
    Error notOpen() const;

    QString device_;
    std::unique_ptr<QSerialPort> port_;
    SerialSettings settings_;
    bool lowLatency_ = false;
    QString failure_; // why the line was closed under the caller, until the next open
};

// A serial device present on this machine.
using FoundPort = SerialDevice;

// The serial devices present, in the order of sortSerialPorts().
QList<FoundPort> findSerialPorts();
// USB adapters first, then built-in ports, each in natural name order (ttyS2 before ttyS10).
void sortSerialPorts(QList<FoundPort>& ports);

// Port numbers 1 to 3: the device named by ONDREL_PORTn when set; otherwise the device the
// installer assigned to the port (kept in `settingsFile`); otherwise COMn on Windows and the n-th
// device that findSerialPorts() lists elsewhere.
class QtSerialLineFactory final : public SerialLineFactory {
public:
    QtSerialLineFactory();
    explicit QtSerialLineFactory(QString settingsFile) : settingsFile_(std::move(settingsFile)) {}

    Result<QString> deviceForPort(int port) const override;
    std::unique_ptr<SerialLine> create(const QString& device) const override;

    // Which device port `port` reaches and why, in one line, for status tips and the command
    // line's port list: "Port 1: /dev/ttyUSB0 (USB serial, first device found)".
    QString describe(int port) const override;

private:
    QString settingsFile_;
};

// The environment variable that names port `port`'s device, ONDREL_PORTn, or empty.
QString portFromEnvironment(int port);

} // namespace ondrel
