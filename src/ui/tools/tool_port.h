#pragma once

#include "serial/serial_line.h"

#include <memory>

class QWidget;

namespace ondrel::ui {

// The PC serial port a tool window holds while it is open, chosen by port number (1 to 3).
class ToolPort {
public:
    explicit ToolPort(const SerialLineFactory& lines) : lines_(lines) {}

    // Closes the port held, then opens port number `port`; on failure no port is open.
    Status open(int port, const SerialSettings& settings);
    void close();
    bool isOpen() const { return line_ && line_->isOpen(); }
    QString deviceName() const { return line_ ? line_->deviceName() : QString(); }
    // Applies new settings to the open port; with none open there is nothing to change.
    Status setSettings(const SerialSettings& settings);
    // Every byte waiting, oldest first (empty when none waits). A line that failed since the
    // last call (unplugged, hung up) is closed and its error returned once.
    Result<QByteArray> readWaiting();
    // The open line, or null.
    SerialLine* line() const { return isOpen() ? line_.get() : nullptr; }
    // What the line opened last has to say about its settings (a network serial server's).
    QString notice() const { return line_ ? line_->notice() : QString(); }

private:
    const SerialLineFactory& lines_;
    std::unique_ptr<SerialLine> line_;
    bool held_ = false; // opened and not closed by the window since
};

// Opens port number `port` for `window`: a failure is shown in an "Error" box, and what the
// opened line has to say in a box of its own. False when no port is open.
bool openForWindow(QWidget* window, ToolPort& tool, int port, const SerialSettings& settings);

} // namespace ondrel::ui
