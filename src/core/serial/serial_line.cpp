#include "serial/serial_line.h"

#include <QStringList>
#include <chrono>
#include <thread>

namespace ondrel {

Result<SerialSettings> SerialSettings::parse(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    auto refuse = [&text](const QString& why) {
        return makeError(
            QStringLiteral("The line settings \"%1\" are not valid: %2.").arg(text, why));
    };
    if (parts.size() != 4)
        return refuse(QStringLiteral("expected baud rate, parity, data bits and stop bits"));
    SerialSettings s;
    bool ok = false;
    s.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baudRate <= 0)
        return refuse(QStringLiteral("\"%1\" is not a baud rate").arg(parts[0].trimmed()));
    const QString letter = parts[1].trimmed();
    const auto parity = letter.size() == 1 ? parityFromLetter(letter.at(0)) : std::nullopt;
    if (!parity)
        return refuse(QStringLiteral("the parity must be N, E or O"));
    s.parity = *parity;
    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return refuse(QStringLiteral("the data bits must be 5 to 8"));
    s.stopBits = parts[3].trimmed().toInt(&ok);
    if (!ok || (s.stopBits != 1 && s.stopBits != 2))
        return refuse(QStringLiteral("the stop bits must be 1 or 2"));
    return s;
}

qint64 SerialLine::clockUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void SerialLine::pauseUs(qint64 us) {
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

QString SerialSettings::toString() const {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudRate)
        .arg(QLatin1Char(parityLetter(parity)))
        .arg(dataBits)
        .arg(stopBits);
}

} // namespace ondrel
