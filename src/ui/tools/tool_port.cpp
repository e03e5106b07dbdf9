#include "ui/tools/tool_port.h"

#include "ui/widgets/messages.h"

namespace ondrel::ui {

Status ToolPort::open(int port, const SerialSettings& settings) {
    close();
    line_.reset();
    const Result<QString> device = lines_.deviceForPort(port);
    if (!device)
        return device.error();
    line_ = lines_.create(device.value());
    Status opened = line_->open(settings);
    held_ = opened.ok();
    return opened;
}

bool openForWindow(QWidget* window, ToolPort& tool, int port, const SerialSettings& settings) {
    if (Status s = tool.open(port, settings); !s) {
        showError(window, s.error().message);
        return false;
    }
    if (!tool.notice().isEmpty())
        showMessage(window, QMessageBox::Information, QStringLiteral("Serial Server"),
                    tool.notice());
    return true;
}

void ToolPort::close() {
    held_ = false;
    if (line_)
        line_->close();
}

Result<QByteArray> ToolPort::readWaiting() {
    constexpr int kMaxReads = 16; // a line that never pauses still leaves the window usable
    if (held_ && !isOpen()) {
        // The line closed itself on a failure; reading says why.
        held_ = false;
        const Result<QByteArray> failed = line_->read(1, 0);
        return failed
                   ? makeError(
                         QStringLiteral("The serial port %1 was closed.").arg(line_->deviceName()))
                   : failed.error();
    }
    QByteArray bytes;
    for (int i = 0; i < kMaxReads && isOpen(); ++i) {
        const qint64 waiting = line_->bytesAvailable();
        if (waiting <= 0)
            break;
        const Result<QByteArray> part = line_->read(waiting, 0);
        if (!part) {
            close();
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
