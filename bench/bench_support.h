#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdlib>
#include <sched.h>

namespace ondrel::bench {

// Results go to standard output, one line at a time, so a long run shows its progress.
inline QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

// A benchmark that cannot measure what it should stops with the reason.
[[noreturn]] inline void fail(const QString& message) {
    QTextStream(stderr) << QCoreApplication::applicationName() << ": " << message << Qt::endl;
    std::exit(1);
}

// The system's load average over 1, 5 and 15 minutes, to print beside the figures.
inline QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

// Real-time scheduling for this program and the virtual devices it starts, where the system
// allows it: they stand in for devices that answer at once, and other programs busy on this
// machine should not decide the numbers.
inline bool requestRealtime() {
    sched_param param{};
    param.sched_priority = 10;
    return sched_setscheduler(0, SCHED_FIFO, &param) == 0;
}

} // namespace ondrel::bench
