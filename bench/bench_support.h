#pragma once

#include <QCoreApplication>
#include <QTextStream>
#include <cstdlib>

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

} // namespace ondrel::bench
