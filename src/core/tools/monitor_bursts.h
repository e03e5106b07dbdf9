#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace ondrel {

// Bytes that arrived without a pause longer than the burst gap: usually one button's string.
struct Burst {
    qint64 startMs = 0; // when its first byte was read, milliseconds since the epoch
    QByteArray bytes;
};

// Cuts the received stream into bursts. A pause of more than `gapMs` between two reads ends a
// burst; so does reaching `maxBytes`, so that a line that never pauses still gives bounded pieces.
class BurstSplitter {
public:
    explicit BurstSplitter(int gapMs = 100, int maxBytes = 256) : gapMs_(gapMs), max_(maxBytes) {}
    void setGap(int gapMs) { gapMs_ = gapMs; }
    int gap() const { return gapMs_; }

    // Bytes read at `nowMs`; returns the bursts they complete, oldest first.
    std::vector<Burst> feed(const QByteArray& bytes, qint64 nowMs);
    // The open burst, once nothing came for longer than the gap at `nowMs`.
    std::optional<Burst> flush(qint64 nowMs);
    // The open burst, whatever the time (the monitor stops).
    std::optional<Burst> finish();

private:
    int gapMs_;
    int max_;
    Burst open_;
    qint64 lastMs_ = 0;
};

// A burst as rows of `perRow` bytes: the hexadecimal on the left, padded to one width, the
// mnemonic text on the right.
QStringList hexAsciiRows(const QByteArray& bytes, int perRow = 16);

// "03:12:45.123" (local time) and "2026-12-07 03:12:45.123".
QString burstTime(qint64 ms);
QString burstDateTime(qint64 ms);

// One log line per burst: time stamp, PC port, settings, hexadecimal, mnemonic text and what
// the burst was recognised as.
QString monitorLogLine(const Burst& burst, const QString& port, const QString& settings,
                       const QString& meaning);

} // namespace ondrel

#include "result.h"

#include <QTemporaryFile>

namespace ondrel {

// Everything received, one line per burst, kept in a temporary file rather than in memory so a
// monitor that runs for days stays small; saving copies it out in pieces.
class MonitorLog {
public:
    MonitorLog();
    // Adds one line (without its line end). False once the temporary file cannot be written.
    bool append(const QString& line);
    qint64 lines() const { return lines_; }
    // Writes `before`, then every line so far, to `path`, replacing it only when all was written.
    Status saveTo(const QString& path, const QString& before = {});

private:
    QTemporaryFile file_;
    bool ok_ = false;
    qint64 lines_ = 0;
};

} // namespace ondrel
