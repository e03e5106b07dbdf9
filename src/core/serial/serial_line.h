#pragma once

#include "result.h"
#include "serial/parity.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace ondrel {

// Line settings as the tool writes them: "19200,N,8,1" (baud, parity letter, data bits, stop bits).
struct SerialSettings {
    qint32 baudRate = 19200;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;

    // Accepts "19200,N,8,1" and the lower-case parity letters the simulator writes ("9600,e,8,1").
    static Result<SerialSettings> parse(const QString& text);
    QString toString() const;
    friend bool operator==(const SerialSettings&, const SerialSettings&) = default;
};

// One serial line: a PC port towards the panel or a projector. Every wait has a time-out;
// every failure carries a readable message. Implementations live in the platform layer; the
// core only talks to this interface.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    // The device this line reaches ("/dev/ttyUSB0", "COM3", "rfc2217://rack-7:4001").
    virtual QString deviceName() const = 0;
    virtual Status open(const SerialSettings& settings) = 0;
    // Applies new settings; on an open line they take effect at once.
    virtual Status setSettings(const SerialSettings& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues bytes for sending, unchanged, all eight bits.
    virtual Status write(const QByteArray& bytes) = 0;
    // Waits until every queued byte has left, at most `timeoutMs`.
    virtual Status waitForWritten(int timeoutMs) = 0;
    // Bytes received and not yet read.
    virtual qint64 bytesAvailable() = 0;
    // Waits at most `timeoutMs` for at least one byte, then returns up to `maxBytes` of what has
    // arrived, oldest first. Empty on time-out; an error when the line failed or is closed.
    virtual Result<QByteArray> read(qint64 maxBytes, int timeoutMs) = 0;

    // Microseconds on a clock that only goes forward, for measuring the waits on this line. A
    // line that plays its far end in memory runs its own clock, so tests need not wait.
    virtual qint64 clockUs() const;
    qint64 clockMs() const { return clockUs() / 1000; }
    // Waits `us` microseconds without reading: for waits shorter than a read's millisecond.
    virtual void pauseUs(qint64 us);

    // What the installer should know about the line as it was opened, where it did not stop
    // it: a network serial server that keeps its own settings or cannot set DTR and RTS. Empty
    // for a local port.
    virtual QString notice() const { return {}; }
};

// Makes lines for devices, and maps the tool's port numbers 1 to 3 to devices.
class SerialLineFactory {
public:
    virtual ~SerialLineFactory() = default;
    // The device behind port number `port` (1 to 3), or an error saying why there is none.
    virtual Result<QString> deviceForPort(int port) const = 0;
    virtual std::unique_ptr<SerialLine> create(const QString& device) const = 0;
    // What port number `port` reaches, for a menu item's tip.
    virtual QString describe(int port) const {
        const Result<QString> device = deviceForPort(port);
        return device ? device.value() : device.error().message;
    }
};

} // namespace ondrel
