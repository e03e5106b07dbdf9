#include "serial/port_assignment.h"

#include <QSettings>
#include <algorithm>

namespace ondrel {

namespace {
QString key(int port, const char* field) {
    return QStringLiteral("ports/%1/%2").arg(port).arg(QLatin1String(field));
}
} // namespace

void PortAssignment::assign(int port, const SerialDevice& device) {
    choices_.at(size_t(port - 1)) = {device.device, device.usb ? device.serialNumber : QString()};
}

void PortAssignment::clear(int port) {
    choices_.at(size_t(port - 1)) = {};
}

Result<QString> PortAssignment::deviceFor(int port, const QList<SerialDevice>& present) const {
    if (port < 1 || port > kPorts)
        return makeError(QStringLiteral("There is no port %1; the ports are 1 to 3.").arg(port));
    const Choice& c = choice(port);
    if (!c.serialNumber.isEmpty()) {
        const auto found = std::find_if(present.begin(), present.end(), [&](const SerialDevice& d) {
            return d.usb && d.serialNumber == c.serialNumber;
        });
        if (found != present.end())
            return found->device;
        return makeError(QStringLiteral("Port %1 is the USB serial adapter with serial number %2 "
                                        "(last seen as %3), which is not plugged in. Plug it in, "
                                        "or choose another device under Control Ports > PC "
                                        "Serial Ports.")
                             .arg(port)
                             .arg(c.serialNumber, c.device));
    }
    if (!c.device.isEmpty())
        return c.device;
    if (port <= present.size())
        return present.at(port - 1).device;
    return makeError(QStringLiteral("Port %1 reaches no device: %2 serial device(s) found. Choose "
                                    "one under Control Ports > PC Serial Ports, or set "
                                    "ONDREL_PORT%1 to the device to use.")
                         .arg(port)
                         .arg(present.size()));
}

PortAssignment PortAssignment::load(const QString& settingsFile) {
    PortAssignment a;
    const QSettings s(settingsFile, QSettings::IniFormat);
    for (int port = 1; port <= kPorts; ++port)
        a.choices_.at(size_t(port - 1)) = {s.value(key(port, "device")).toString(),
                                           s.value(key(port, "serial")).toString()};
    return a;
}

Status PortAssignment::save(const QString& settingsFile) const {
    QSettings s(settingsFile, QSettings::IniFormat);
    for (int port = 1; port <= kPorts; ++port) {
        const Choice& c = choice(port);
        if (c.isSet()) {
            s.setValue(key(port, "device"), c.device);
            s.setValue(key(port, "serial"), c.serialNumber);
        } else {
            s.remove(QStringLiteral("ports/%1").arg(port));
        }
    }
    s.sync();
    if (s.status() != QSettings::NoError)
        return makeError(
            QStringLiteral("Could not write the port choice to %1.").arg(settingsFile));
    return Ok{};
}

} // namespace ondrel
