#pragma once

#include "platform/serial_ports.h"

namespace ondrel {

// A PC serial port through the Windows communications calls, for blocking use on one thread.
// Reads and writes block with time-outs set on the port, so no event loop is involved.
// `device` is "COM3", "\\.\COM3" or any other path the system opens as a serial device.
class WinSerialLine final : public SerialLine {
public:
    explicit WinSerialLine(QString device);
    ~WinSerialLine() override;

    QString deviceName() const override { return device_; }
    Status open(const SerialSettings& settings) override;
    Status setSettings(const SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override { return handle_ != nullptr; }
    Status write(const QByteArray& bytes) override;
    Status waitForWritten(int timeoutMs) override;
    qint64 bytesAvailable() override;
    Result<QByteArray> read(qint64 maxBytes, int timeoutMs) override;

private:
    Status applySettings(const SerialSettings& settings);
    // Gives the port these time-outs unless it has them already (each change is a system call).
    bool useTimeouts(quint32 readWaitMs);
    // Bytes the driver holds for reading; -1 when the port failed (GetLastError says why).
    qint64 queued();
    // A read or write that failed with system error `code`: the line is closed and says why.
    Error lineFailure(const QString& doing, quint32 code);
    Error notOpen() const;

    QString device_;
    void* handle_ = nullptr; // the open port's HANDLE
    SerialSettings settings_;
    quint32 readWaitMs_ = 0;     // the port's read time-out now
    quint32 writeMsPerByte_ = 0; // the port's write time-out per byte now
    QString failure_;            // why the line was closed under the caller, until the next open
};

} // namespace ondrel
