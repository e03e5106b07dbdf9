#include "programming/programming_worker.h"

namespace ondrel {

ProgrammingWorker::ProgrammingWorker(QObject* parent) : QObject(parent) {
    qRegisterMetaType<ProgrammingResult>();
    qRegisterMetaType<ProgrammingStage>();
}

ProgrammingWorker::~ProgrammingWorker() {
    cancel_ = true;
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

bool ProgrammingWorker::start(Procedure procedure, ProgrammingOptions options) {
    if (running_)
        return false;
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
    running_ = true;
    cancel_ = false;
    options.cancel = &cancel_;
    // Every signal is emitted on this object's thread, whoever listens and however.
    options.stage = [this](ProgrammingStage stage) {
        QMetaObject::invokeMethod(
            this, [this, stage] { emit stageChanged(stage); }, Qt::QueuedConnection);
    };
    options.progress = [this](const QString& caption, int value, int maximum) {
        QMetaObject::invokeMethod(
            this, [=, this] { emit progressChanged(caption, value, maximum); },
            Qt::QueuedConnection);
    };
    thread_ = QThread::create([this, procedure = std::move(procedure), options] {
        const ProgrammingResult result = procedure(options);
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                running_ = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    thread_->start();
    return true;
}

void ProgrammingWorker::cancel() {
    cancel_ = true;
}

} // namespace ondrel
