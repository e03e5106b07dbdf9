#include "platform/serial_failure.h"

namespace ondrel::serial_failure {

QString missing(const QString& device) {
    return QStringLiteral("The serial port %1 does not exist.").arg(device);
}

QString notOpened(const QString& device, const QString& why) {
    return QStringLiteral("The serial port %1 could not be opened: %2.").arg(device, why);
}

QString settingsRefused(const QString& device, const QString& settings, const QString& why) {
    return QStringLiteral("The serial port %1 does not accept the settings %2 (%3).")
        .arg(device, settings, why);
}

QString failedWhile(const QString& device, const QString& doing, const QString& why) {
    return QStringLiteral("The serial port %1 failed while %2 (%3); it was closed.")
        .arg(device, doing, why);
}

QString lineGone() {
    return QStringLiteral("the serial line was closed or the adapter unplugged");
}

Error notSent(const QString& device, qint64 ms) {
    return makeError(QStringLiteral("The serial port %1 did not send its data within %2 ms.")
                         .arg(device)
                         .arg(ms));
}

Error notOpen(const QString& device, const QString& failure) {
    if (!failure.isEmpty())
        return makeError(failure);
    return makeError(QStringLiteral("The serial port %1 is not open.").arg(device));
}

} // namespace ondrel::serial_failure
