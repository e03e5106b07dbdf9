#pragma once

#include "panel_core.h"
#include "serial/serial_line.h"

#include <algorithm>

namespace ondrel::test {

// A serial line whose far end is the virtual panel's loader in memory, on a clock of its own:
// a wait for bytes moves the clock on to when they are due (or to the end of the wait), so a
// run with time-outs and late answers takes no real time. Answers come all at once or, with
// `oneByteAtATime`, one byte per read, as a slow adapter hands them over.
class MemoryLine final : public SerialLine {
public:
    explicit MemoryLine(panel::Faults faults = {}, bool oneByteAtATime = false)
        : loader_(std::move(faults)), oneByte_(oneByteAtATime) {}

    QString deviceName() const override { return QStringLiteral("memory"); }
    Status open(const SerialSettings&) override {
        open_ = !closedByPanel_;
        return open_ ? Status(Ok{}) : Status(makeError(QStringLiteral("memory: gone")));
    }
    Status setSettings(const SerialSettings&) override { return Ok{}; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    Status write(const QByteArray& bytes) override {
        if (!open_)
            return gone();
        loader_.receive(bytes, nowUs_);
        return Ok{};
    }
    Status waitForWritten(int) override { return open_ ? Status(Ok{}) : gone(); }
    qint64 bytesAvailable() override {
        collect();
        return inbox_.size();
    }
    Result<QByteArray> read(qint64 maxBytes, int timeoutMs) override {
        collect();
        if (inbox_.isEmpty() && open_) {
            const qint64 end = nowUs_ + qint64(std::max(0, timeoutMs)) * 1000;
            const qint64 due = loader_.nextDueUs();
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
    qint64 clockMs() const override { return nowUs_ / 1000; }

    const panel::PanelMemory& memory() const { return loader_.memory(); }
    int packets() const { return loader_.packets(); }

private:
    void collect() {
        bool closing = false;
        inbox_ += loader_.takeDue(nowUs_, &closing);
        if (closing)
            open_ = false, closedByPanel_ = true;
    }
    Error gone() const { return makeError(QStringLiteral("The serial port memory was closed.")); }

    panel::VirtualLoader loader_;
    bool oneByte_;
    bool open_ = false;
    bool closedByPanel_ = false;
    qint64 nowUs_ = 0;
    QByteArray inbox_;
};

} // namespace ondrel::test
