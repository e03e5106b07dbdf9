#pragma once

#include "result.h"

#include <QString>

namespace ondrel::cli {

// The device of --port: a number is the PC's serial port of that number (1 is the first), any
// other text a device (COM3, /dev/ttyUSB0, rfc2217://HOST:PORT) as it is written.
Result<QString> resolvePort(const QString& port);

} // namespace ondrel::cli
