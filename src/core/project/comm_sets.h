#pragma once

#include "project/value.h"

#include <QStringList>

namespace ondrel {

// Serial settings of one control port, and how its command strings are shown. Fields hold what
// the catalogue, the settings dialog or a file put there: a number or a text, or nothing.
struct CommSets {
    Value BaudRate;
    Value StopBit;
    Value TransmitFormat; // data bits
    Value Parity;         // "NONE", "EVEN" or "ODD"
    Value prsentAs;       // 1 ASCII, 2 hexadecimal

    friend bool operator==(const CommSets&, const CommSets&) = default;
};

// The settings the panel's control ports can take: baud rates, parity names (compared exactly),
// 8 data bits and 1 stop bit.
inline constexpr int kPanelBaudRates[] = {7600, 9600, 19200, 28800, 38400, 115200};

// The fields of `port` holding a value the panel does not know, each as the installer reads it
// ("baud rate \"96OO\" (it knows 7600, ...)"). An empty field is a port never set up, not
// a fault. Files may carry such values; the image refuses them where a button uses the port.
QStringList unknownPortSettings(const CommSets& port);

} // namespace ondrel
