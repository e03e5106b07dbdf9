#pragma once

#include "result.h"

#include <QString>

namespace ondrel {

// A serial port on a serial server in the network, written where a device name goes:
// "rfc2217://HOST:PORT" (Telnet with the COM-PORT option: the tool sets the port's settings) or
// "socket://HOST:PORT" (raw bytes: the port's settings are the server's own).
struct NetworkAddress {
    enum class Kind { Rfc2217, Raw };
    Kind kind = Kind::Rfc2217;
    QString host;
    quint16 port = 0;
};

// Whether `device` is written as a network address, valid or not.
bool isNetworkAddress(const QString& device);
// Reads a network address (an IPv6 host in brackets: "rfc2217://[::1]:4001"); the error says
// what is wrong with it.
Result<NetworkAddress> parseNetworkAddress(const QString& device);

} // namespace ondrel
