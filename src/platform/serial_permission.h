#pragma once

#include <QString>

namespace ondrel {

// What to say when opening a serial port was refused. A device the user may not read and write
// is a matter of rights, with the way to get them; otherwise another program holds it.
// `systemText` is the system's own reason, shown in brackets.
QString permissionFailureMessage(const QString& device, const QString& systemText);

// The message for a device the user lacks the rights to; `group` is the group owning the device
// ("dialout" on Debian and Ubuntu), empty when unknown.
QString permissionDeniedMessage(const QString& device, const QString& group);

} // namespace ondrel
