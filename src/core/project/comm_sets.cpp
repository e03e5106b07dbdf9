#include "project/comm_sets.h"
#include "serial/parity.h"

#include <algorithm>

namespace ondrel {

namespace {

bool isBlank(const Value& v) {
    return v.toText().trimmed().isEmpty();
}

QString quoted(const Value& v) {
    return QLatin1Char('"') + v.toText() + QLatin1Char('"');
}

} // namespace

QStringList unknownPortSettings(const CommSets& port) {
    QStringList faults;
    if (!isBlank(port.BaudRate)) {
        const std::optional<double> rate = port.BaudRate.toReal();
        if (!rate || std::none_of(std::begin(kPanelBaudRates), std::end(kPanelBaudRates),
                                  [&](int known) { return *rate == known; })) {
            QStringList rates;
            for (int known : kPanelBaudRates)
                rates << QString::number(known);
            faults << QStringLiteral("baud rate %1 (it knows %2 or %3)")
                          .arg(quoted(port.BaudRate), rates.mid(0, rates.size() - 1).join(", "),
                               rates.last());
        }
    }
    if (!isBlank(port.Parity) && !parityFromName(port.Parity.toText()))
        faults << QStringLiteral("parity %1 (it knows NONE, EVEN or ODD)").arg(quoted(port.Parity));
    if (!isBlank(port.TransmitFormat) && port.TransmitFormat.toInteger() != 8)
        faults << QStringLiteral("data bits %1 (it sends 8)").arg(quoted(port.TransmitFormat));
    if (!isBlank(port.StopBit) && port.StopBit.toInteger() != 1)
        faults << QStringLiteral("stop bits %1 (it sends 1)").arg(quoted(port.StopBit));
    return faults;
}

} // namespace ondrel
