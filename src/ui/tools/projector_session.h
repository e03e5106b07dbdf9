#pragma once

#include "projector/projector_exchange.h"
#include "serial/serial_line.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace ondrel::ui {

// The PC port of the Projector Test window, held on a thread of its own: a long wait (an Epson
// answers On only when warm) never freezes the window, and each answer's time is taken the
// moment it arrives. The port is opened as the other tool windows open theirs (ToolPort, by port
// number). Calls return at once; what they lead to comes back through the callbacks, on the
// thread that made this object.
class ProjectorSession : public QObject {
    Q_OBJECT
public:
    struct Callbacks {
        std::function<void(const Status&, const QString& notice)>
            opened; // notice: a serial server's word
        std::function<void(qint64 waitedMs, int timeoutMs)> waiting;
        std::function<void(const Exchange&)> exchanged; // each exchange, each try, unasked bytes
        std::function<void(int rate)> baudsTried;       // 0: no rate answered
    };

    ProjectorSession(const SerialLineFactory& lines, Callbacks callbacks,
                     QObject* parent = nullptr);
    // Stops waiting, closes the port and ends the thread before it returns.
    ~ProjectorSession() override;

    void open(int port, const SerialSettings& settings);
    // Closes the port before it returns (a wait in progress ends first).
    void close();
    void setSettings(const SerialSettings& settings);
    void setModel(const ProjectorModel& model);
    // Sends `request`; a wait still going on for an earlier one ends first.
    void send(const ExchangeRequest& request);
    void tryBauds(const ExchangeRequest& probe, const QList<int>& rates);
    void stopWaiting();
    // Sends or tries are queued or running.
    bool busy() const { return queued_ > 0; }

private:
    class Worker;
    std::shared_ptr<std::atomic<bool>> nextStop();
    template <class F> void inWorker(F f);

    Callbacks callbacks_;
    QThread* thread_ = nullptr;
    Worker* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> stop_;
    int queued_ = 0;
};

} // namespace ondrel::ui
