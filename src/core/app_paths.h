#pragma once

#include <QString>

namespace ondrel {

// The data files live beside the program; these name them.
QString programFolder();
QString catalogPath();     // Proj.qdb
QString factoryDataPath(); // default.dat
QString firmwareFolder();  // firmware/
QString customFolder();    // Custom/, where configuration files go by default

} // namespace ondrel
