#pragma once

#include <QTextStream>

namespace ondrel {

// "ondrel --check-install": finds the data files beside the program and tries each one as the
// tool would (the catalogue opened read-only, the factory setup parsed, the firmware folder
// listed), writing one line per file to `out`. True when all of them are usable.
bool checkInstall(QTextStream& out);

} // namespace ondrel
