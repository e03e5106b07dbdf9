#pragma once

#include "programming/programming.h"

#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <functional>

namespace ondrel {

// Runs one programming procedure on a thread of its own, so the windows stay responsive, and
// reports its stages, progress and result as signals on the thread that owns this object.
class ProgrammingWorker : public QObject {
    Q_OBJECT
public:
    using Procedure = std::function<ProgrammingResult(const ProgrammingOptions&)>;

    explicit ProgrammingWorker(QObject* parent = nullptr);
    // Cancels a running procedure and waits for it: the line is closed before this returns.
    ~ProgrammingWorker() override;

    // Starts `procedure` with `options`, whose cancel flag and callbacks this object supplies.
    // The procedure owns whatever it captures (the serial line among it). False when a
    // procedure is already running here.
    bool start(Procedure procedure, ProgrammingOptions options = {});
    bool isRunning() const { return running_; }

public slots:
    // Esc: ends the wait for the reset at once, or stops between blocks.
    void cancel();

signals:
    void stageChanged(ondrel::ProgrammingStage stage);
    void progressChanged(const QString& caption, int value, int maximum);
    void finished(const ondrel::ProgrammingResult& result);

private:
    QPointer<QThread> thread_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
};

} // namespace ondrel
