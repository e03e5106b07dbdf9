#include "cli/cli_port.h"

#include "platform/serial_ports.h"

namespace ondrel::cli {

Result<QString> resolvePort(const QString& port) {
    bool isNumber = false;
    const int number = port.toInt(&isNumber);
    if (isNumber)
        return QtSerialLineFactory().deviceForPort(number);
    return port;
}

} // namespace ondrel::cli
