#pragma once

#include "project/value.h"

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

} // namespace ondrel
