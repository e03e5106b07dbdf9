#include "ui/tools/projector_session.h"

#include "ui/tools/tool_port.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

namespace ondrel::ui {

// Lives on the session's thread and owns the port there.
class ProjectorSession::Worker : public QObject {
public:
    Worker(const SerialLineFactory& lines, ProjectorSession* session)
        : port_(lines), session_(session) {}

    // Runs `f` on the session's thread.
    template <class F> void report(F f) {
        QMetaObject::invokeMethod(session_, std::move(f), Qt::QueuedConnection);
    }

    void open(int port, const SerialSettings& settings) {
        settings_ = settings;
        unasked_.clear();
        Status opened = port > 0 ? port_.open(port, settings) : (port_.close(), Status(Ok{}));
        report([s = session_, opened, notice = port_.notice()] {
            s->callbacks_.opened(opened, notice);
        });
        if (!poll_) { // what arrives between exchanges: late answers, status lines
            poll_ = new QTimer(this);
            QObject::connect(poll_, &QTimer::timeout, this, [this] { readUnasked(); });
            poll_->start(50);
        }
    }
    void close() { port_.close(); }
    // The last call on the thread: nothing of it may stay active.
    void shutdown() {
        delete poll_;
        poll_ = nullptr;
        port_.close();
    }
    void setSettings(const SerialSettings& settings) {
        settings_ = settings;
        static_cast<void>(port_.setSettings(settings));
    }
    void setModel(const ProjectorModel& model) { model_ = model; }

    void exchange(const ExchangeRequest& request, const std::shared_ptr<std::atomic<bool>>& stop) {
        Exchange x;
        if (SerialLine* line = port_.line()) {
            reportUnasked(true);
            QElapsedTimer shown;
            shown.start();
            x = runExchange(*line, model_, request, settings_, stop.get(), [&](qint64 waited) {
                if (shown.elapsed() < 100)
                    return;
                shown.restart();
                report([s = session_, waited, t = request.timeoutMs] {
                    s->callbacks_.waiting(waited, t);
                });
            });
        } else {
            x.label = request.label;
            x.sent = request.bytes;
            x.failure = QStringLiteral("Choose the PC port the projector is connected to.");
        }
        report([s = session_, x] {
            --s->queued_;
            s->callbacks_.exchanged(x);
        });
    }

    void tryBauds(const ExchangeRequest& probe, const QList<int>& rates,
                  const std::shared_ptr<std::atomic<bool>>& stop) {
        int found = 0;
        if (SerialLine* line = port_.line()) {
            reportUnasked(true);
            found = tryBaudRates(*line, model_, probe, rates, settings_, stop.get(),
                                 [this](const Exchange& x) {
                                     report([s = session_, x] { s->callbacks_.exchanged(x); });
                                 });
            if (found)
                settings_.baudRate = found;
        }
        report([s = session_, found] {
            --s->queued_;
            s->callbacks_.baudsTried(found);
        });
    }

private:
    // Bytes between exchanges make a line of their own once they pause (or before a send).
    void readUnasked() {
        if (!port_.isOpen())
            return;
        const Result<QByteArray> bytes = port_.readWaiting();
        if (bytes && !bytes.value().isEmpty()) {
            unasked_ += bytes.value();
            quiet_.start();
        } else if (!unasked_.isEmpty() && quiet_.elapsed() > 100) {
            reportUnasked(false);
        }
    }
    void reportUnasked(bool beforeSend) {
        if (beforeSend && port_.isOpen())
            if (const Result<QByteArray> bytes = port_.readWaiting(); bytes)
                unasked_ += bytes.value();
        const QByteArray bytes = std::exchange(unasked_, {});
        if (bytes.trimmed().isEmpty()) // the end of an answer's line
            return;
        report([s = session_, x = unaskedExchange(model_, bytes, settings_)] {
            s->callbacks_.exchanged(x);
        });
    }

    ToolPort port_;
    ProjectorSession* session_;
    SerialSettings settings_;
    ProjectorModel model_;
    QTimer* poll_ = nullptr;
    QByteArray unasked_;
    QElapsedTimer quiet_;
};

ProjectorSession::ProjectorSession(const SerialLineFactory& lines, Callbacks callbacks,
                                   QObject* parent)
    : QObject(parent), callbacks_(std::move(callbacks)), thread_(new QThread),
      worker_(new Worker(lines, this)) {
    worker_->moveToThread(thread_);
    thread_->start();
}

ProjectorSession::~ProjectorSession() {
    stopWaiting();
    inWorker([w = worker_] { w->shutdown(); });
    thread_->quit();
    thread_->wait();
    delete worker_;
    delete thread_;
}

template <class F> void ProjectorSession::inWorker(F f) {
    QMetaObject::invokeMethod(worker_, std::move(f), Qt::QueuedConnection);
}

std::shared_ptr<std::atomic<bool>> ProjectorSession::nextStop() {
    stopWaiting();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    ++queued_;
    return stop_;
}

void ProjectorSession::open(int port, const SerialSettings& settings) {
    stopWaiting();
    inWorker([w = worker_, port, settings] { w->open(port, settings); });
}

void ProjectorSession::close() {
    stopWaiting();
    // Returns once the port is closed: the panel may be programmed on it right after.
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->close(); }, Qt::BlockingQueuedConnection);
}

void ProjectorSession::setSettings(const SerialSettings& settings) {
    inWorker([w = worker_, settings] { w->setSettings(settings); });
}

void ProjectorSession::setModel(const ProjectorModel& model) {
    inWorker([w = worker_, model] { w->setModel(model); });
}

void ProjectorSession::send(const ExchangeRequest& request) {
    inWorker([w = worker_, request, stop = nextStop()] { w->exchange(request, stop); });
}

void ProjectorSession::tryBauds(const ExchangeRequest& probe, const QList<int>& rates) {
    inWorker([w = worker_, probe, rates, stop = nextStop()] { w->tryBauds(probe, rates, stop); });
}

void ProjectorSession::stopWaiting() {
    if (stop_)
        *stop_ = true;
}

} // namespace ondrel::ui
