#pragma once

#include <QString>

namespace ondrel {

// The program's version as the installer sees it: major, minor and revision joined by ".".
QString versionText();

} // namespace ondrel
