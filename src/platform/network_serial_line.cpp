#include "platform/network_serial_line.h"
#include "platform/serial_failure.h"
#include "project/byte_text.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QStringList>
#include <QTcpSocket>
#include <QtEndian>
#include <algorithm>

namespace ondrel {

namespace {

using Telnet = TelnetClient;

// Bytes queued when the line closes get this long to leave.
constexpr int kCloseFlushMs = 200;
// Answers after the first come within twice the first's time, and at least within this.
constexpr int kMinAnswerGapMs = 100;

QString joined(const QStringList& parts) {
    if (parts.size() < 2)
        return parts.join(QString());
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           parts.back();
}

// One COM-PORT setting asked for, and what the server said is in force.
struct Ask {
    quint8 command = 0;
    QByteArray value;
    bool needed = true; // the line is wrong without it; DTR and RTS are not
    bool answered = false;
    QByteArray reply = {};
};

QByteArray bigEndian(quint32 value) {
    return Telnet::bytes(
        {quint8(value >> 24), quint8(value >> 16), quint8(value >> 8), quint8(value)});
}

// Whether `reply` answers `ask`. SET-CONTROL answers come in groups of three values (outbound
// flow control 1 to 3, break 4 to 6, DTR 7 to 9, RTS 10 to 12), so a server that skips the
// modem lines does not have its flow-control answer taken for theirs.
bool answers(const Telnet::Reply& reply, const Ask& ask) {
    if (reply.command != ask.command + Telnet::kServerReply)
        return false;
    if (ask.command != Telnet::kSetControl)
        return true;
    const auto group = [](const QByteArray& v) {
        return v.isEmpty() ? -1 : (quint8(v[0]) - 1) / 3;
    };
    return group(reply.value) == group(ask.value);
}

// A setting in words, from its command and value on the wire.
QString settingText(quint8 command, const QByteArray& value) {
    const int v = value.isEmpty() ? 0 : quint8(value.at(0));
    switch (command) {
    case Telnet::kSetBaudRate:
        if (value.size() == 4)
            return QStringLiteral("%1 baud").arg(qFromBigEndian<quint32>(value.constData()));
        break;
    case Telnet::kSetDataSize:
        return QStringLiteral("%1 data bits").arg(v);
    case Telnet::kSetParity: {
        static const char* const names[] = {"", "no", "odd", "even", "mark", "space"};
        if (v >= 1 && v <= 5)
            return QStringLiteral("%1 parity").arg(QLatin1String(names[v]));
        return QStringLiteral("parity %1").arg(v);
    }
    case Telnet::kSetStopSize:
        return v == 1   ? QStringLiteral("1 stop bit")
               : v == 3 ? QStringLiteral("1.5 stop bits")
                        : QStringLiteral("%1 stop bits").arg(v);
    case Telnet::kSetControl:
        return v == Telnet::kNoFlowControl ? QStringLiteral("no flow control")
               : v == 2                    ? QStringLiteral("XON/XOFF flow control")
               : v == 3                    ? QStringLiteral("hardware flow control")
               : v == Telnet::kDtrOn       ? QStringLiteral("DTR")
               : v == Telnet::kRtsOn       ? QStringLiteral("RTS")
                                           : QStringLiteral("control setting %1").arg(v);
    }
    return QStringLiteral("setting %1").arg(command);
}

// A server answers its commands in order, so once the last one is answered no earlier answer
// is still to come: the modem lines go first, and a server that cannot set them (and says
// nothing) costs no wait.
QList<Ask> asksFor(const SerialSettings& s, bool modemLines) {
    QList<Ask> asks;
    // A local port raises DTR and RTS when it opens; some adapters and devices need them.
    if (modemLines)
        for (quint8 line : {Telnet::kDtrOn, Telnet::kRtsOn})
            asks << Ask{Telnet::kSetControl, QByteArray(1, char(line)), false};
    const quint8 parity = s.parity == Parity::Odd ? 2 : s.parity == Parity::Even ? 3 : 1;
    asks << Ask{Telnet::kSetBaudRate, bigEndian(quint32(s.baudRate))}
         << Ask{Telnet::kSetDataSize, QByteArray(1, char(s.dataBits))}
         << Ask{Telnet::kSetParity, QByteArray(1, char(parity))}
         << Ask{Telnet::kSetStopSize, QByteArray(1, char(s.stopBits))}
         << Ask{Telnet::kSetControl, QByteArray(1, char(Telnet::kNoFlowControl))};
    return asks;
}

// What the server sent as text before it hung up ("Port already in use"), printable only.
QString serverText(const QByteArray& bytes) {
    return printableText(bytes.left(120));
}

} // namespace

NetworkSerialLine::NetworkSerialLine(QString address) : address_(std::move(address)) {}

NetworkSerialLine::~NetworkSerialLine() {
    close();
}

Status NetworkSerialLine::open(const SerialSettings& settings) {
    close();
    failure_.clear();
    notice_.clear();
    const Result<NetworkAddress> address = parseNetworkAddress(address_);
    if (!address)
        return address.error();
    const NetworkAddress& a = address.value();
    socket_ = std::make_unique<QTcpSocket>();
    socket_->connectToHost(a.host, a.port);
    if (!socket_->waitForConnected(connectTimeoutMs)) {
        QString why;
        switch (socket_->error()) {
        case QAbstractSocket::HostNotFoundError:
            why = QStringLiteral("the host %1 was not found").arg(a.host);
            break;
        case QAbstractSocket::ConnectionRefusedError:
            why = QStringLiteral("nothing answers on port %1 of %2; check the address and that "
                                 "the server runs")
                      .arg(a.port)
                      .arg(a.host);
            break;
        case QAbstractSocket::SocketTimeoutError:
            why = QStringLiteral("no answer within %1 s").arg(connectTimeoutMs / 1000.0);
            break;
        default:
            why = socket_->errorString();
        }
        socket_.reset();
        return makeError(
            QStringLiteral("The serial server %1 could not be reached: %2.").arg(address_, why));
    }
    // One small packet in flight at a time: each must leave at once.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    settings_ = settings;
    data_.clear();
    replies_.clear();
    if (a.kind == NetworkAddress::Kind::Raw) {
        telnet_.reset();
        notice_ = QStringLiteral("%1 carries bytes only: the serial settings are those of the "
                                 "server's port, which this tool cannot set or check. This line "
                                 "needs %2; make sure the server's port is set to that.")
                      .arg(address_, settings.toString());
        return Ok{};
    }
    telnet_ = std::make_unique<TelnetClient>();
    socket_->write(telnet_->start());
    socket_->flush();
    opening_ = true;
    Status ready = negotiate();
    if (ready && telnet_->comPort() == TelnetClient::Agreement::Yes)
        ready = applySettings(settings, true);
    opening_ = false;
    if (!ready) {
        close();
        failure_ = ready.error().message;
        return ready;
    }
    data_.clear(); // as a local port that opens: nothing from before
    return Ok{};
}

Status NetworkSerialLine::negotiate() {
    QDeadlineTimer deadline(answerTimeoutMs);
    while (!telnet_->settled() && !deadline.hasExpired())
        if (!receive(int(deadline.remainingTime())))
            return lineFailure(QStringLiteral("opening"));
    if (!telnet_->heardTelnet())
        return makeError(QStringLiteral("The server at %1 did not answer as an RFC 2217 serial "
                                        "server within %2 ms. If it passes raw bytes, write its "
                                        "address as socket://HOST:PORT.")
                             .arg(address_)
                             .arg(answerTimeoutMs));
    if (telnet_->comPort() != TelnetClient::Agreement::Yes)
        notice_ = QStringLiteral("The serial server %1 does not take serial settings (it declined "
                                 "the COM-PORT option of RFC 2217), so its port keeps its own. "
                                 "This line needs %2; make sure the server's port is set to "
                                 "that.")
                      .arg(address_, settings_.toString());
    return Ok{};
}

Status NetworkSerialLine::applySettings(const SerialSettings& settings, bool modemLines) {
    settings_ = settings;
    QList<Ask> asks = asksFor(settings, modemLines);
    QByteArray commands;
    for (const Ask& ask : asks)
        commands += TelnetClient::comPortCommand(ask.command, ask.value);
    replies_.clear();
    if (socket_->state() != QAbstractSocket::ConnectedState ||
        socket_->write(commands) != commands.size())
        return lineFailure(QStringLiteral("sending its settings"));
    socket_->flush();

    QElapsedTimer clock;
    clock.start();
    qint64 firstAt = -1, lastAt = 0;
    while (!asks.back().answered) {
        const qint64 limit =
            firstAt < 0 ? answerTimeoutMs : lastAt + std::max<qint64>(kMinAnswerGapMs, 2 * firstAt);
        if (clock.elapsed() >= limit)
            break;
        if (!receive(int(limit - clock.elapsed())))
            return lineFailure(QStringLiteral("setting up its port"));
        for (const Telnet::Reply& reply : std::exchange(replies_, {})) {
            const auto ask = std::find_if(asks.begin(), asks.end(), [&](const Ask& a) {
                return !a.answered && answers(reply, a);
            });
            if (ask == asks.end())
                continue; // a notification (line or modem state), not an answer
            ask->answered = true;
            ask->reply = reply.value;
            lastAt = clock.elapsed();
            if (firstAt < 0)
                firstAt = lastAt;
        }
    }

    QStringList refused, unconfirmed, modem;
    for (const Ask& ask : asks) {
        if (!ask.needed) {
            if (ask.reply != ask.value)
                modem << settingText(ask.command, ask.value);
        } else if (!ask.answered || ask.reply.isEmpty()) {
            unconfirmed << settingText(ask.command, ask.value);
        } else if (ask.reply != ask.value) {
            refused << QStringLiteral("%1 instead of %2")
                           .arg(settingText(ask.command, ask.reply),
                                settingText(ask.command, ask.value));
        }
    }
    if (!refused.isEmpty())
        return makeError(QStringLiteral("The serial server %1 keeps its port at %2: it refused the "
                                        "change. This line needs %3; set the server's port to that "
                                        "(for ser2net, in the connector line of its "
                                        "configuration), then try again.")
                             .arg(address_, joined(refused), settings.toString()));
    QStringList notes;
    if (!unconfirmed.isEmpty())
        notes << QStringLiteral("The serial server %1 did not confirm %2, so the settings in "
                                "force on its port are not known. This line needs %3; if nothing "
                                "answers, make sure the server's port is set to that.")
                     .arg(address_, joined(unconfirmed), settings.toString());
    if (!modem.isEmpty())
        notes << QStringLiteral("The serial server %1 cannot set %2 on its port (it did not "
                                "confirm %3). This tool sends and receives without %3, so it "
                                "goes on; a device that needs %2 will not work through this "
                                "server.")
                     .arg(address_, joined(modem),
                          modem.size() > 1 ? QStringLiteral("them") : QStringLiteral("it"));
    notice_ = notes.join(QLatin1Char(' '));
    return Ok{};
}

Status NetworkSerialLine::setSettings(const SerialSettings& settings) {
    if (!isOpen() || settings == settings_) {
        settings_ = settings;
        return Ok{};
    }
    if (!telnet_ || telnet_->comPort() != TelnetClient::Agreement::Yes)
        return makeError(QStringLiteral("The serial server %1 does not take serial settings from "
                                        "this tool; set its port to %2 on the server.")
                             .arg(address_, settings.toString()));
    return applySettings(settings, false);
}

void NetworkSerialLine::close() {
    if (socket_) {
        socket_->flush();
        if (socket_->bytesToWrite() > 0)
            socket_->waitForBytesWritten(kCloseFlushMs);
        socket_->abort();
        socket_.reset();
    }
    telnet_.reset();
    data_.clear();
}

bool NetworkSerialLine::receive(int timeoutMs) {
    if (socket_->bytesAvailable() == 0) {
        if (socket_->state() != QAbstractSocket::ConnectedState)
            return false;
        if (!socket_->waitForReadyRead(std::max(timeoutMs, 0)))
            return socket_->state() == QAbstractSocket::ConnectedState;
    }
    const QByteArray bytes = socket_->readAll();
    if (!telnet_) {
        data_ += bytes;
        return true;
    }
    TelnetClient::Decoded decoded = telnet_->decode(bytes);
    data_ += decoded.data;
    // Taken while settings are sent; in between only notifications come: keep the last few.
    replies_ += decoded.replies;
    if (replies_.size() > 32)
        replies_.remove(0, replies_.size() - 32);
    if (!decoded.answer.isEmpty()) {
        socket_->write(decoded.answer);
        socket_->flush();
    }
    return true;
}

Error NetworkSerialLine::lineFailure(const QString& doing) {
    // A server that refuses a connection as it opens (ser2net: "Port already in use") says why
    // in text before it hangs up.
    const QString said = opening_ ? serverText(data_) : QString();
    close();
    failure_ = serial_failure::failedWhile(
        address_, doing, QStringLiteral("the connection to the serial server was closed or lost"));
    if (!said.isEmpty())
        failure_ = QStringLiteral("The serial server %1 closed the connection as the line was "
                                  "being opened, saying \"%2\". Another program may be using its "
                                  "serial port.")
                       .arg(address_, said);
    return makeError(failure_);
}

Error NetworkSerialLine::notOpen() const {
    return serial_failure::notOpen(address_, failure_);
}

Status NetworkSerialLine::write(const QByteArray& bytes) {
    if (!isOpen())
        return notOpen();
    const QByteArray wire = telnet_ ? telnet_->encode(bytes) : bytes;
    if (socket_->state() != QAbstractSocket::ConnectedState || socket_->write(wire) != wire.size())
        return lineFailure(QStringLiteral("sending"));
    socket_->flush();
    return Ok{};
}

Status NetworkSerialLine::waitForWritten(int timeoutMs) {
    if (!isOpen())
        return notOpen();
    QDeadlineTimer deadline(std::max(timeoutMs, 0));
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(int(deadline.remainingTime()))) {
            if (socket_->state() != QAbstractSocket::ConnectedState)
                return lineFailure(QStringLiteral("sending"));
            if (deadline.hasExpired())
                return serial_failure::notSent(address_, timeoutMs);
        }
    }
    return Ok{};
}

qint64 NetworkSerialLine::bytesAvailable() {
    if (!isOpen())
        return 0;
    if (data_.isEmpty() && !receive(0)) {
        lineFailure(QStringLiteral("receiving"));
        return 0;
    }
    return data_.size();
}

Result<QByteArray> NetworkSerialLine::read(qint64 maxBytes, int timeoutMs) {
    if (!isOpen())
        return notOpen();
    QDeadlineTimer deadline(std::max(timeoutMs, 0));
    while (data_.isEmpty()) {
        if (!receive(int(deadline.remainingTime())))
            return lineFailure(QStringLiteral("receiving"));
        if (deadline.hasExpired())
            break;
    }
    const QByteArray out = data_.left(maxBytes);
    data_.remove(0, out.size());
    return out;
}

} // namespace ondrel
