#pragma once

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
struct FoundPort {
    QString device;      // path or name to open ("/dev/ttyUSB0", "COM3")
    QString description; // what the system says about it ("USB serial (FTDI)")
    bool usb = false;
};

// The serial devices present, in the order of sortSerialPorts().
QList<FoundPort> findSerialPorts();
// USB adapters first, then built-in ports, each in natural name order (ttyS2 before ttyS10).
void sortSerialPorts(QList<FoundPort>& ports);

// Port numbers 1 to 3: COMn on Windows; elsewhere the device named by ONDREL_PORTn when set,
// otherwise the n-th device that findSerialPorts() lists.
class QtSerialLineFactory final : public SerialLineFactory {
public:
    Result<QString> deviceForPort(int port) const override;
    std::unique_ptr<SerialLine> create(const QString& device) const override;

    // Which device port `port` reaches and why, in one line, for status tips and the command
    // line's port list: "Port 1: /dev/ttyUSB0 (USB serial, first device found)".
    QString describe(int port) const override;
};

} // namespace ondrel
