#include "platform/serial_permission.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace ondrel {

QString permissionDeniedMessage(const QString& device, const QString& group) {
    const QString g = group.isEmpty() ? QStringLiteral("dialout") : group;
    return QStringLiteral("You may not use the serial port %1: your user account lacks the right "
                          "to open it. On Debian and Ubuntu, add yourself to the group \"%2\" "
                          "(sudo adduser $USER %2), then log out and log in again.")
        .arg(device, g);
}

QString permissionFailureMessage(const QString& device, const QString& systemText) {
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), F_OK) == 0 && ::access(path.constData(), R_OK | W_OK) != 0)
        return permissionDeniedMessage(device, QFileInfo(device).group());
#endif
    return QStringLiteral("The serial port %1 is in use by another program (%2). Close that "
                          "program, or the Ondrel window that holds the port, and try again.")
        .arg(device, systemText);
}

} // namespace ondrel
