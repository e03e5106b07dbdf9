#pragma once

#include "projector/projector_exchange.h"
#include "serial/memory_line.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <optional>

// The virtual projector: a model of the catalogue answering as its replies section says, with a
// power state that warms up and cools down. Kept apart from the program so tests can drive it.
namespace ondrel::projector {

struct Options {
    qint64 warmUpUs = 3'000'000;
    qint64 coolDownUs = 3'000'000;
    int lampHours = 1234;
    int baud = 0;        // the rate the projector runs at; 0: the model's
    qint64 slowUs = 0;   // extra time before every answer
    bool silent = false; // answers nothing (but still acts)
    bool echo = false;   // the line sends every byte straight back, as some adapters do
};

enum class Power { Standby, WarmingUp, On, CoolingDown };
QString powerWord(Power power); // "standby", "warming up", "on", "cooling down"

class VirtualProjector final : public FarEnd {
public:
    VirtualProjector(ProjectorModel model, Options options);
    VirtualProjector(const VirtualProjector&) = delete; // it reads the replies of its own model
    VirtualProjector& operator=(const VirtualProjector&) = delete;

    // The rate the tool's end of the line runs at now: bytes at another rate than the
    // projector's are garbage both ways, as on a real wire.
    void setLineBaud(int baud) { lineBaud_ = baud; }
    int baud() const { return baud_; }

    // Bytes from the tool; the first arrives at `nowUs`, each further one a byte time later.
    void receive(const QByteArray& bytes, qint64 nowUs) override;
    qint64 nextDueUs() const override;
    QByteArray takeDue(qint64 nowUs, bool* close = nullptr) override;

    Power power(qint64 nowUs);
    // Starts switched on, as if warmed up long ago.
    void switchOn() { power_ = Power::On; }
    std::function<void(const QString&)> log;

private:
    struct Known {
        QByteArray bytes;
        QString command, query;
    };
    bool garbled() const { return lineBaud_ > 0 && lineBaud_ != baud_; }
    qint64 byteUs(int baud) const { return qint64(10e6 / baud); }
    void advance(qint64 nowUs);
    void take(const Known& known, qint64 atUs);
    void refuse(bool notNow, const QByteArray& sent, qint64 atUs);
    void answerQuery(const Known& known, qint64 atUs);
    void startChange(Power to, qint64 atUs);
    std::optional<QByteArray>
    reply(const QString& kind, const QByteArray& sent,
          const std::function<std::optional<QByteArray>(const TemplatePart&)>& value) const;
    std::optional<QByteArray> stateCode(const QString& table, Power power) const;
    std::optional<QByteArray> inputCode(const QString& table) const;
    // Puts `bytes` on the wire from `atUs` (after the --slow delay when `slow`), a byte time each.
    void send(qint64 atUs, const QByteArray& bytes, bool slow = true);

    ProjectorModel model_;
    const ReplyRules& rules_;
    Options options_;
    int baud_;
    int lineBaud_ = 0;
    QList<Known> known_;
    QByteArray pending_;
    char terminator_ = 0; // text families act on this byte
    qint64 receivedUs_ = 0, gapDueUs_ = -1, sendFreeUs_ = 0;
    Power power_ = Power::Standby;
    qint64 changeAtUs_ = -1;
    QString input_;
    std::multimap<qint64, char> outputs_;
};

} // namespace ondrel::projector
