#include "tools/monitor_bursts.h"

#include "project/byte_text.h"

#include <QDateTime>
#include <QStringList>

namespace ondrel {

std::vector<Burst> BurstSplitter::feed(const QByteArray& bytes, qint64 nowMs) {
    std::vector<Burst> done;
    if (bytes.isEmpty())
        return done;
    if (auto previous = flush(nowMs))
        done.push_back(std::move(*previous));
    for (qsizetype pos = 0; pos < bytes.size();) {
        if (open_.bytes.isEmpty())
            open_.startMs = nowMs;
        const qsizetype take = std::min<qsizetype>(bytes.size() - pos, max_ - open_.bytes.size());
        open_.bytes.append(bytes.constData() + pos, take);
        pos += take;
        if (open_.bytes.size() >= max_)
            done.push_back(std::exchange(open_, Burst{}));
    }
    lastMs_ = nowMs;
    return done;
}

std::optional<Burst> BurstSplitter::flush(qint64 nowMs) {
    if (open_.bytes.isEmpty() || nowMs - lastMs_ <= gapMs_)
        return std::nullopt;
    return std::exchange(open_, Burst{});
}

std::optional<Burst> BurstSplitter::finish() {
    if (open_.bytes.isEmpty())
        return std::nullopt;
    return std::exchange(open_, Burst{});
}

QStringList hexAsciiRows(const QByteArray& bytes, int perRow) {
    QStringList rows;
    for (qsizetype pos = 0; pos < bytes.size(); pos += perRow) {
        const QByteArray part = bytes.mid(pos, perRow);
        rows << hexText(part).leftJustified(perRow * 3, QLatin1Char(' ')) + mnemonicText(part);
    }
    return rows;
}

QString burstTime(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString burstDateTime(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString monitorLogLine(const Burst& burst, const QString& port, const QString& settings,
                       const QString& meaning) {
    return QStringLiteral("%1  %2 %3  %4  |%5|  %6")
        .arg(burstDateTime(burst.startMs), port, settings, hexText(burst.bytes),
             mnemonicText(burst.bytes), meaning);
}

} // namespace ondrel

#include <QSaveFile>

namespace ondrel {

MonitorLog::MonitorLog() {
    ok_ = file_.open();
}

bool MonitorLog::append(const QString& line) {
    ok_ = ok_ && file_.write((line + QLatin1Char('\n')).toUtf8()) >= 0;
    lines_ += ok_;
    return ok_;
}

Status MonitorLog::saveTo(const QString& path, const QString& before) {
    auto failed = [&](const QString& reason) {
        return makeError(QStringLiteral("cannot write the log %1: %2").arg(path, reason));
    };
    if (!ok_ || !file_.flush())
        return failed(
            QStringLiteral("the received data could not be kept (%1)").arg(file_.errorString()));
    QSaveFile out(path);
    // Unbuffered: a buffered QSaveFile can commit a short write as success.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(out.errorString());
    if (out.write(before.toUtf8()) < 0)
        return failed(out.errorString());
    QFile in(file_.fileName());
    if (!in.open(QIODevice::ReadOnly))
        return failed(in.errorString());
    while (!in.atEnd())
        if (out.write(in.read(1 << 16)) < 0)
            return failed(out.errorString());
    if (!out.commit())
        return failed(out.errorString());
    return Ok{};
}

} // namespace ondrel
