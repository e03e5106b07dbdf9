#include "ui/tools/tool_port.h"

namespace ondrel::ui {

Status ToolPort::open(int port, const SerialSettings& settings) {
    close();
    line_.reset();
    const Result<QString> device = lines_.deviceForPort(port);
    if (!device)
        return device.error();
    line_ = lines_.create(device.value());
    return line_->open(settings);
}

void ToolPort::close() {
    if (line_)
        line_->close();
}

Result<QByteArray> ToolPort::readWaiting() {
    constexpr int kMaxReads = 16; // a line that never pauses still leaves the window usable
    QByteArray bytes;
    for (int i = 0; i < kMaxReads && isOpen(); ++i) {
        const qint64 waiting = line_->bytesAvailable();
        if (waiting <= 0)
            break;
        const Result<QByteArray> part = line_->read(waiting, 0);
        if (!part) {
            line_->close();
            return part.error();
        }
        bytes += part.value();
    }
    return bytes;
}

Status ToolPort::setSettings(const SerialSettings& settings) {
    if (!isOpen())
        return Ok{};
    return line_->setSettings(settings);
}

} // namespace ondrel::ui
