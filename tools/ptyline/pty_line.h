#pragma once

#include "serial/memory_line.h"

#include <QByteArray>
#include <QString>
#include <csignal>
#include <functional>

namespace ondrel::tools {

// The device a virtual device answers on: a given serial device, or a new pseudo-terminal.
struct PtyLine {
    int fd = -1;
    int keepOpen = -1; // our own handle on the pty's far end, so reads never fail while the tool
                       // has the port closed
    QString path;
};

// Sets `fd` raw (and to `baud`, when above 0).
bool makeRaw(int fd, int baud);
bool writeAll(int fd, const QByteArray& bytes);
// Opens `device` (empty: a new pseudo-terminal); `program` names the caller in messages.
bool openLine(const char* program, const QString& device, int baudRate, PtyLine& line);
// Points `link` at the line's device; false (with a message) when it cannot.
bool linkLine(const char* program, const PtyLine& line, const QString& link);
// The baud rate the tool's end of a pseudo-terminal is set to (both ends share their settings);
// 0 when it cannot be read.
int lineBaud(const PtyLine& line);

// From now on Ctrl+C, SIGTERM and SIGHUP set the flag returned instead of ending the program,
// and a reader that went away does not end it either (SIGPIPE).
const volatile std::sig_atomic_t& stopOnSignals();

// Plays `farEnd` on the line until `stop` is set, or until the far end closes the line: its
// output goes out when due, what the tool sends goes in with the time it came. `beforeReceive`
// runs before each delivery of received bytes.
void serveFarEnd(const char* program, const PtyLine& line, FarEnd& farEnd,
                 const volatile std::sig_atomic_t& stop,
                 const std::function<void()>& beforeReceive = {});

} // namespace ondrel::tools
