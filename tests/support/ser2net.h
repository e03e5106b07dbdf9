#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

namespace ondrel::test {

// A free TCP port on the loopback address, for a server the test starts.
inline quint16 freeLocalPort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// Whether something listens on 127.0.0.1:`port`, from Linux's own table so nothing connects.
inline bool listening(quint16 port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    return table.open(QIODevice::ReadOnly) &&
           table.readAll().contains(QStringLiteral("0100007F:%1 00000000:0000 0A")
                                        .arg(port, 4, 16, QLatin1Char('0'))
                                        .toUpper()
                                        .toLatin1());
}

// Debian's serial server ser2net in front of `device` (the virtual panel's pseudo-terminal),
// on a free local port, as an installer would set it up: telnet with RFC 2217, or raw TCP whose
// port settings are fixed in the configuration. Stops with the object.
class Ser2net {
public:
    enum class Mode { Rfc2217, Raw };

    static bool installed() { return QFile::exists(QStringLiteral("/usr/sbin/ser2net")); }

    Ser2net(const QString& device, Mode mode) : mode_(mode), port_(freeLocalPort()) {
        const QString config = dir_.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(config);
        if (port_ == 0 || !file.open(QIODevice::WriteOnly))
            return;
        // The answers must leave at once: without chardelay ser2net would hold each one back
        // for two characters' time in case more follows.
        file.write(QStringLiteral("%YAML 1.1\n---\n"
                                  "connection: &panel\n"
                                  "  accepter: %1tcp,127.0.0.1,%2\n"
                                  "  connector: serialdev,%3,19200n81,local\n"
                                  "  options:\n"
                                  "    chardelay: false\n")
                       .arg(mode == Mode::Rfc2217 ? QStringLiteral("telnet(rfc2217),") : QString())
                       .arg(port_)
                       .arg(device)
                       .toUtf8());
        file.close();
        process_.setProcessChannelMode(QProcess::MergedChannels);
        // -n: stay in front; -u: no UUCP lock files for a device the tests open themselves.
        process_.start(QStringLiteral("/usr/sbin/ser2net"),
                       {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config});
        if (!process_.waitForStarted(5000))
            return;
        const QDeadlineTimer ready(5000);
        while (!listening(port_) && !ready.hasExpired() && process_.state() == QProcess::Running)
            QThread::msleep(5);
        ready_ = listening(port_);
    }
    ~Ser2net() { stop(); }
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    bool ok() const { return ready_; }
    quint16 port() const { return port_; }
    // What the tool is given as its port.
    QString address() const { return address(port_); }
    QString address(quint16 port) const {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(mode_ == Mode::Rfc2217 ? QStringLiteral("rfc2217") : QStringLiteral("socket"))
            .arg(port);
    }
    QString log() { return QString::fromLocal8Bit(process_.readAll()); }

    void stop() {
        if (process_.state() == QProcess::NotRunning || process_.processId() <= 0)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }

private:
    Mode mode_;
    quint16 port_;
    QTemporaryDir dir_;
    QProcess process_;
    bool ready_ = false;
};

} // namespace ondrel::test
