#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <map>

namespace ondrel::test {

// Points the tool's port numbers at chosen devices (ONDREL_PORTn) for the life of the object,
// so that windows never reach a real serial port of the machine running the tests.
class PortMapping {
public:
    PortMapping(const QString& port1, const QString& port2 = QStringLiteral("/dev/ondrel-none-2"),
                const QString& port3 = QStringLiteral("/dev/ondrel-none-3")) {
        set(1, port1);
        set(2, port2);
        set(3, port3);
    }
    ~PortMapping() {
        for (const auto& [name, old] : saved_)
            old.isNull() ? qunsetenv(name.constData()) : qputenv(name.constData(), old);
    }
    PortMapping(const PortMapping&) = delete;
    PortMapping& operator=(const PortMapping&) = delete;

    void set(int port, const QString& device) {
        const QByteArray name = "ONDREL_PORT" + QByteArray::number(port);
        if (!saved_.count(name))
            saved_[name] = qEnvironmentVariableIsSet(name.constData()) ? qgetenv(name.constData())
                                                                       : QByteArray();
        qputenv(name.constData(), device.toLocal8Bit());
    }

private:
    std::map<QByteArray, QByteArray> saved_;
};

} // namespace ondrel::test
