#pragma once

#include "serial/network_address.h"
#include "serial/serial_line.h"
#include "serial/telnet_client.h"

#include <memory>

class QTcpSocket;

namespace ondrel {

// A serial port on a serial server in the network, reached by TCP: "rfc2217://HOST:PORT"
// (Telnet with the COM-PORT option: the port's settings are sent once when the line opens and
// the server's answers checked) or "socket://HOST:PORT" (raw bytes; the settings are the
// server's). For blocking use on one thread, with or without an event loop, like QtSerialLine:
// the socket is made on open and dropped on close.
class NetworkSerialLine final : public SerialLine {
public:
    explicit NetworkSerialLine(QString address);
    ~NetworkSerialLine() override;

    QString deviceName() const override { return address_; }
    Status open(const SerialSettings& settings) override;
    Status setSettings(const SerialSettings& settings) override;
    void close() override;
    bool isOpen() const override { return socket_ != nullptr; }
    Status write(const QByteArray& bytes) override;
    Status waitForWritten(int timeoutMs) override;
    qint64 bytesAvailable() override;
    Result<QByteArray> read(qint64 maxBytes, int timeoutMs) override;
    QString notice() const override { return notice_; }

    int connectTimeoutMs = 5000;
    // For the server's first answer to the Telnet negotiation and to the settings. Answers that
    // follow come within twice the time the first one took (at least 100 ms), or not at all.
    int answerTimeoutMs = 3000;

private:
    // Takes in what the server sent within `timeoutMs`; false when the connection is gone.
    bool receive(int timeoutMs);
    Status negotiate();
    Status applySettings(const SerialSettings& settings, bool modemLines);
    Error lineFailure(const QString& doing);
    Error notOpen() const;

    QString address_;
    std::unique_ptr<QTcpSocket> socket_;
    std::unique_ptr<TelnetClient> telnet_; // none on a raw line
    QByteArray data_;                      // the serial port's bytes, not yet read
    QList<TelnetClient::Reply> replies_;
    SerialSettings settings_;
    QString notice_;
    bool opening_ = false; // negotiating and setting up the port
    QString failure_;      // why the line was closed under the caller, until the next open
};

} // namespace ondrel
