#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace ondrel::test {

// A virtual device program (ondrel-panel, ondrel-projector) on its own pseudo-terminal, whose
// path it prints first; `arguments` choose its faults. Tests, the screenshots and the benchmarks
// talk to path().
class PtyProgram {
public:
    PtyProgram(const QString& program, const QStringList& arguments) {
        process_.start(program, arguments);
        if (process_.waitForStarted(5000))
            while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
            }
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~PtyProgram() { stop(); }
    PtyProgram(const PtyProgram&) = delete;
    PtyProgram& operator=(const PtyProgram&) = delete;

    bool ok() const { return !path_.isEmpty(); }
    // The device to open: the pty's slave end.
    const QString& path() const { return path_; }
    // What it wrote on standard error since the last call.
    QString log() { return QString::fromLocal8Bit(process_.readAllStandardError()); }
    // Ends it (it may write its files on the way out); safe to call twice.
    void stop() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }

private:
    QProcess process_;
    QString path_;
};

} // namespace ondrel::test
