#pragma once

#include "platform/serial_ports.h"

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

} // namespace ondrel
