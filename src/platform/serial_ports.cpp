#include "platform/serial_ports.h"

#include "app_paths.h"
#include "platform/network_serial_line.h"

#include <algorithm>

namespace ondrel {

namespace {
// Names compared with runs of digits as numbers: ttyS2 before ttyS10. (QCollator's numeric
// mode depends on the locale library and is not available everywhere.)
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            const qulonglong x = a.mid(i, ei - i).toULongLong();
            const qulonglong y = b.mid(j, ej - j).toULongLong();
            if (x != y)
                return x < y;
            i = ei, j = ej;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}
} // namespace

void sortSerialPorts(QList<FoundPort>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const FoundPort& a, const FoundPort& b) {
        if (a.usb != b.usb)
            return a.usb;
        return naturalLess(a.device, b.device);
    });
}

namespace {
QString portVariable(int port) {
    return QStringLiteral("ONDREL_PORT%1").arg(port);
}
} // namespace

QString portFromEnvironment(int port) {
    return qEnvironmentVariable(portVariable(port).toLatin1().constData());
}

QtSerialLineFactory::QtSerialLineFactory() = default;

QString QtSerialLineFactory::settingsFile() const {
    return settingsFile_.isEmpty() ? userSettingsPath() : settingsFile_;
}

Result<QString> QtSerialLineFactory::deviceForPort(int port) const {
    if (port < 1 || port > 3)
        return makeError(QStringLiteral("There is no port %1; the ports are 1 to 3.").arg(port));
    const QString named = portFromEnvironment(port);
    if (!named.isEmpty())
        return named;
    const PortAssignment assigned = PortAssignment::load(settingsFile());
#ifdef Q_OS_WIN
    if (!assigned.choice(port).isSet())
        return QStringLiteral("COM%1").arg(port);
#endif
    return assigned.deviceFor(port, findSerialPorts());
}

std::unique_ptr<SerialLine> makeSerialLine(const QString& device) {
    if (isNetworkAddress(device))
        return std::make_unique<NetworkSerialLine>(device.trimmed());
    return makeSystemLine(device);
}

std::unique_ptr<SerialLine> QtSerialLineFactory::create(const QString& device) const {
    return makeSerialLine(device);
}

QString QtSerialLineFactory::describe(int port) const {
    const Result<QString> device = deviceForPort(port);
    if (!device)
        return device.error().message;
    if (!portFromEnvironment(port).isEmpty())
        return QStringLiteral("Port %1: %2 (set by %3)")
            .arg(port)
            .arg(device.value(), portVariable(port));
    const QList<FoundPort> found = findSerialPorts();
    const auto info = std::find_if(found.begin(), found.end(),
                                   [&](const FoundPort& p) { return p.device == device.value(); });
    const QString about = info == found.end() || info->description.isEmpty()
                              ? QString()
                              : info->description + QStringLiteral(", ");
    if (PortAssignment::load(settingsFile()).choice(port).isSet())
        return QStringLiteral("Port %1: %2 (%3chosen under PC Serial Ports)")
            .arg(port)
            .arg(device.value(), about);
    return QStringLiteral("Port %1: %2 (%3device no. %1 found)")
        .arg(port)
        .arg(device.value(), about);
}

} // namespace ondrel
