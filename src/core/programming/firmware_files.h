#pragma once

#include "result.h"

#include <QString>
#include <QStringList>

namespace ondrel {

// The panel firmware comes from the panel's maker, not with the program: the version-named file
// is looked for beside the program first, then in the installer's own firmware folder, where a
// file the installer chose is copied.

// "1_0_0.hex": the file name of this version's firmware.
QString firmwareFileName();
// The folders searched, in order: `programDir`/firmware, then userFirmwareFolder().
QStringList firmwareFolders(const QString& programDir);
// The first of the folders that holds the file; the one beside the program when none does.
QString locateFirmwareFile(const QString& programDir);
bool firmwareFilePresent(const QString& programDir);
// Checks `chosen` whole as firmware and copies it under firmwareFileName() into the installer's
// firmware folder. Gives the copy's path; a file that is no good is refused with its line, and
// nothing is copied.
Result<QString> installFirmwareFile(const QString& chosen);

} // namespace ondrel
