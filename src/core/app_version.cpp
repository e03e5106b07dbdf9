#include "app_version.h"

#include "ondrel/version.h"

namespace ondrel {

QString versionText() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

} // namespace ondrel
