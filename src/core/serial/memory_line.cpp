#include "serial/memory_line.h"

#include <algorithm>

namespace ondrel {

Status MemoryLine::open(const SerialSettings&) {
    if (goneForGood_)
        return gone();
    open_ = true;
    return Ok{};
}

Status MemoryLine::write(const QByteArray& bytes) {
    if (!open_)
        return gone();
    farEnd_.receive(bytes, nowUs_);
    return Ok{};
}

Status MemoryLine::waitForWritten(int) {
    if (!open_)
        return gone();
    return Ok{};
}

qint64 MemoryLine::bytesAvailable() {
    collect();
    return inbox_.size();
}

Result<QByteArray> MemoryLine::read(qint64 maxBytes, int timeoutMs) {
    collect();
    if (inbox_.isEmpty() && open_) {
        const qint64 end = nowUs_ + qint64(std::max(0, timeoutMs)) * 1000;
        const qint64 due = farEnd_.nextDueUs();
        nowUs_ = due > nowUs_ && due < end ? due : std::max(end, nowUs_);
        collect();
    }
    if (!open_)
        return gone();
    const qint64 n = std::min<qint64>(inbox_.size(), oneByte_ ? 1 : maxBytes);
    const QByteArray out = inbox_.left(n);
    inbox_.remove(0, n);
    return out;
}

void MemoryLine::collect() {
    bool closing = false;
    inbox_ += farEnd_.takeDue(nowUs_, &closing);
    if (closing)
        open_ = false, goneForGood_ = true;
}

Error MemoryLine::gone() const {
    return makeError(QStringLiteral("The serial port %1 was closed.").arg(deviceName()));
}

} // namespace ondrel
