#pragma once

#include "catalogue/model_file.h"
#include "projector/reply_decoder.h"
#include "serial/serial_line.h"

#include <QList>
#include <atomic>
#include <functional>
#include <optional>

namespace ondrel {

class Catalogue;

// A projector model with what it answers: its catalogue definition and its replies, if the
// catalogue has them.
struct ProjectorModel {
    ModelDefinition definition;
    std::optional<ReplyRules> replies;

    QString name() const { return definition.manufacturer + QLatin1Char(' ') + definition.model; }
    // The model's serial settings ("9600,N,8,1").
    SerialSettings settings() const;
};

// The model MANUFACTURER/MODEL of the catalogue (own models included). A model whose replies do
// not read is refused with the fault.
Result<ProjectorModel> loadProjectorModel(const Catalogue& catalogue,
                                          const QString& makerSlashModel);

// One thing to send: a command of the model, a query, or bytes as typed.
struct ExchangeRequest {
    QString label; // what the installer chose: "On", "Black_Screen (off)", "power?", "bytes"
    QByteArray bytes;
    QString command; // the catalogue command the bytes are, if any
    QString query;   // the query they ask, if any
    int timeoutMs = 5000;
    bool silent = false; // the projector never answers these bytes
    bool late = false;   // answered only once done
};

// A command of the model by its catalogue name (`second`: a toggle's off string).
std::optional<ExchangeRequest> commandRequest(const ProjectorModel& model, const QString& name,
                                              bool second = false);
std::optional<ExchangeRequest> queryRequest(const ProjectorModel& model, const QString& name);
// Typed bytes, known as a command or a query of the model when they are one.
ExchangeRequest bytesRequest(const ProjectorModel& model, const QByteArray& bytes);
// Whether sending it switches the projector off: the window asks first.
bool switchesOff(const ExchangeRequest& request);

// One command and what came back.
struct Exchange {
    qint64 sentAtMs = 0; // wall clock, ms since the epoch
    QString label;
    SerialSettings settings;
    QByteArray sent, received;
    ReplyDecoding reply;
    double roundTripMs = -1; // first byte sent to the answer's last byte in; -1 without an answer
    qint64 waitedMs = 0;
    int timeoutMs = 0;
    bool stopped = false; // the installer stopped waiting
    QString failure;      // the line failed: why

    // The window's line and ondrel-cli's: time, bytes sent, bytes received, meaning, time taken.
    QString line() const;
    QString meaning() const;
    // 0 when the answer was an acknowledgement or a state, otherwise 1.
    int exitCode() const;
    // Nothing or nothing sensible came back: the checklist is worth showing.
    bool unanswered() const;
};

// Sends `request` on the open `line` (running at `settings`), then reads what comes back until
// the model's replies say it is complete, the request's time-out passes, or `stop` is set.
// `waiting` is told how long it has waited, about every 50 ms. What was waiting on the line
// before goes into the notes.
Exchange runExchange(SerialLine& line, const ProjectorModel& model, const ExchangeRequest& request,
                     const SerialSettings& settings, const std::atomic<bool>* stop = nullptr,
                     const std::function<void(qint64 waitedMs)>& waiting = {});

// Bytes that came without a command (a late answer, a status line): what they mean.
Exchange unaskedExchange(const ProjectorModel& model, const QByteArray& bytes,
                         const SerialSettings& settings);

// What to check when nothing (or garbage) came back, drawn from the model: the cable, its serial
// settings against those used, what its commands end with, and what came back.
QStringList noAnswerChecklist(const ProjectorModel& model, const Exchange& exchange);

// The common rates the panel's ports take, other than `current`, in order.
QList<int> otherBaudRates(int current);

// Sends `request` at each of `rates` in turn (each wait at most a second and a half) until the
// projector answers sensibly; the line keeps that rate, or its own when none answered. Every try
// is reported to `tried`. The rate that answered, or 0.
int tryBaudRates(SerialLine& line, const ProjectorModel& model, const ExchangeRequest& request,
                 const QList<int>& rates, const SerialSettings& settings,
                 const std::atomic<bool>* stop, const std::function<void(const Exchange&)>& tried);

} // namespace ondrel
