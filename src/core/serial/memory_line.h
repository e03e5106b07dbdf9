#pragma once

#include "serial/serial_line.h"

#include <algorithm>

namespace ondrel {

// What sits at the far end of a MemoryLine: it takes the bytes sent, with the time they were
// sent, and hands back its own bytes when they are due. Times are microseconds on the line's
// clock.
class FarEnd {
public:
    virtual ~FarEnd() = default;
    virtual void receive(const QByteArray& bytes, qint64 nowUs) = 0;
    // When the next bytes are due; -1 when none are waiting.
    virtual qint64 nextDueUs() const = 0;
    // The bytes due by `nowUs`, in order; `close` set when the line goes away after them.
    virtual QByteArray takeDue(qint64 nowUs, bool* close) = 0;
};

// A serial line in memory, on a clock of its own: a wait for bytes moves the clock on to when
// they are due (or to the end of the wait), so procedures with time-outs and late answers run
// without waiting. Bytes come all at once or, with `oneByteAtATime`, one a read, as a slow
// adapter hands them over. For tests and benchmarks of the procedures' logic.
class MemoryLine final : public SerialLine {
public:
    explicit MemoryLine(FarEnd& farEnd, bool oneByteAtATime = false)
        : farEnd_(farEnd), oneByte_(oneByteAtATime) {}

    QString deviceName() const override { return QStringLiteral("memory"); }
    Status open(const SerialSettings& settings) override;
    Status setSettings(const SerialSettings&) override { return Ok{}; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    Status write(const QByteArray& bytes) override;
    Status waitForWritten(int) override;
    qint64 bytesAvailable() override;
    Result<QByteArray> read(qint64 maxBytes, int timeoutMs) override;
    qint64 clockUs() const override { return nowUs_; }
    void pauseUs(qint64 us) override { nowUs_ += std::max<qint64>(us, 0); }

private:
    void collect();
    Error gone() const;

    FarEnd& farEnd_;
    bool oneByte_;
    bool open_ = false;
    bool goneForGood_ = false; // the far end closed the line
    qint64 nowUs_ = 0;
    QByteArray inbox_;
};

} // namespace ondrel
