#pragma once

#include <QString>

namespace ondrel {

// The data files live beside the program; these name them.
QString programFolder();
QString catalogPath();     // Proj.qdb
QString factoryDataPath(); // default.dat
QString firmwareFolder();  // firmware/
QString customFolder();    // Custom/, where configuration files go by default
QString userGuidePath();   // user-guide.html, the guide made at build time

// The installer's own files (user catalogue, programming history, firmware copies, port
// assignment) live in one per-user folder: $XDG_DATA_HOME/Ondrel on Linux (~/.local/share/Ondrel),
// %LOCALAPPDATA%/Ondrel on Windows (or $XDG_DATA_HOME/Ondrel when that is set). The GUI and
// ondrel-cli share it, whatever their program names. Created on first use; the returned path may
// not exist yet.
QString userDataFolder();
QString userFirmwareFolder(); // userDataFolder()/firmware, searched after firmwareFolder()
QString userSettingsPath();   // userDataFolder()/settings.ini: recent files, serial ports

} // namespace ondrel
