#include "projector/projector_exchange.h"

#include "catalogue/catalogue.h"
#include "catalogue/user_catalogue.h"
#include "project/byte_text.h"
#include "tools/monitor_bursts.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <algorithm>

namespace ondrel {

namespace {

constexpr int kSilentWaitMs = 300;   // long enough for a complaint about the frame, if one comes
constexpr int kTryWaitMs = 1500;     // per rate: projectors answer queries within milliseconds
constexpr int kGarbageQuietMs = 300; // garbage, then silence: nothing sensible is coming

QString seconds(qint64 ms) {
    return ms % 1000 == 0 ? QStringLiteral("%1 s").arg(ms / 1000)
                          : QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
}

// What every command of the model starts and ends with ("<CR>", "<STX>" and "<ETX>").
QPair<QByteArray, QByteArray> commonEnds(const ModelDefinition& d) {
    QList<QByteArray> all;
    for (const ModelCommand& c : d.commands) {
        all << c.primary;
        if (c.secondary)
            all << *c.secondary;
    }
    if (all.isEmpty())
        return {};
    QByteArray prefix = all.first(), suffix = all.first();
    for (const QByteArray& b : all) {
        while (!b.startsWith(prefix))
            prefix.chop(1);
        while (!b.endsWith(suffix))
            suffix.remove(0, 1);
    }
    return {prefix, suffix};
}

} // namespace

SerialSettings ProjectorModel::settings() const {
    return SerialSettings{definition.baud, parityOrNone(definition.parity), definition.dataBits,
                          definition.stopBits};
}

Result<ProjectorModel> loadProjectorModel(const Catalogue& catalogue,
                                          const QString& makerSlashModel) {
    const qsizetype slash = makerSlashModel.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == makerSlashModel.size() - 1)
        return makeError(QStringLiteral("Name the model as MANUFACTURER/MODEL, for example "
                                        "Epson/EB-85, not \"%1\".")
                             .arg(makerSlashModel));
    const QString maker = makerSlashModel.left(slash), model = makerSlashModel.mid(slash + 1);
    const auto definition = readModelDefinition(catalogue, maker, model);
    if (!definition)
        return definition.error();
    if (!definition.value())
        return makeError(QStringLiteral("The catalogue has no model %1 %2.").arg(maker, model));
    ProjectorModel result{*definition.value(), std::nullopt};
    if (!result.definition.replies.isEmpty()) {
        const auto rules = parseReplyRules(result.definition.replies);
        if (!rules)
            return makeError(QStringLiteral("%1: its replies do not read, line %2: %3")
                                 .arg(result.name())
                                 .arg(rules.error().line)
                                 .arg(rules.error().message));
        result.replies = rules.value();
    }
    return result;
}

namespace {

ExchangeRequest requestFor(const ProjectorModel& model, ExchangeRequest r) {
    const QString name = r.query.isEmpty() ? r.command : r.query;
    if (model.replies) {
        r.timeoutMs = model.replies->timeoutFor(name);
        r.silent = !r.command.isEmpty() && model.replies->isSilent(r.command);
        r.late = !r.command.isEmpty() && model.replies->isLate(r.command);
    }
    return r;
}

} // namespace

std::optional<ExchangeRequest> commandRequest(const ProjectorModel& model, const QString& name,
                                              bool second) {
    for (const ModelCommand& c : model.definition.commands)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (second && !c.secondary)
                return std::nullopt;
            ExchangeRequest r;
            r.label = c.secondary
                          ? c.name + (second ? QStringLiteral(" (off)") : QStringLiteral(" (on)"))
                          : c.name;
            r.bytes = second ? *c.secondary : c.primary;
            r.command = c.name;
            return requestFor(model, r);
        }
    return std::nullopt;
}

std::optional<ExchangeRequest> queryRequest(const ProjectorModel& model, const QString& name) {
    if (!model.replies)
        return std::nullopt;
    const auto bytes = model.replies->query(name);
    if (!bytes)
        return std::nullopt;
    ExchangeRequest r;
    r.label = name.toLower() + QLatin1Char('?');
    r.bytes = *bytes;
    r.query = name.toLower();
    return requestFor(model, r);
}

ExchangeRequest bytesRequest(const ProjectorModel& model, const QByteArray& bytes) {
    if (model.replies)
        if (const QString query = model.replies->queryNamed(bytes); !query.isEmpty())
            return *queryRequest(model, query);
    for (const ModelCommand& c : model.definition.commands)
        for (const bool second : {false, true})
            if ((second ? c.secondary.value_or(QByteArray()) : c.primary) == bytes)
                return *commandRequest(model, c.name, second);
    ExchangeRequest r;
    r.label = QStringLiteral("bytes");
    r.bytes = bytes;
    return requestFor(model, r);
}

bool switchesOff(const ExchangeRequest& request) {
    return request.command.compare(QLatin1String("Off"), Qt::CaseInsensitive) == 0;
}

QString Exchange::meaning() const {
    if (!failure.isEmpty())
        return failure;
    if (stopped)
        return QStringLiteral("stopped waiting after %1").arg(seconds(waitedMs)) +
               (reply.notes.isEmpty()
                    ? QString()
                    : QStringLiteral("; ") + reply.notes.join(QStringLiteral("; ")));
    if (reply.outcome == ReplyOutcome::NoAnswer && reply.meaning == QLatin1String("no answer"))
        return QStringLiteral("no answer within %1").arg(seconds(timeoutMs)) +
               (reply.notes.isEmpty()
                    ? QString()
                    : QStringLiteral("; ") + reply.notes.join(QStringLiteral("; ")));
    return reply.text();
}

QString Exchange::line() const {
    return QStringLiteral("%1  %2 %3  sent %4  received %5  %6%7")
        .arg(burstTime(sentAtMs), label, settings.toString(), hexMnemonicText(sent),
             received.isEmpty() ? QStringLiteral("nothing") : hexMnemonicText(received), meaning(),
             roundTripMs < 0 ? QString() : QStringLiteral("  %1 ms").arg(qRound64(roundTripMs)));
}

int Exchange::exitCode() const {
    return failure.isEmpty() && !stopped &&
                   (reply.outcome == ReplyOutcome::Acknowledged ||
                    reply.outcome == ReplyOutcome::State)
               ? 0
               : 1;
}

bool Exchange::unanswered() const {
    return failure.isEmpty() && !stopped &&
           (reply.outcome == ReplyOutcome::NoAnswer ||
            reply.outcome == ReplyOutcome::NotUnderstood);
}

namespace {

// Reads what is waiting before a send: it came before, so it is no answer to it. Each read, in hex.
QStringList readStale(SerialLine& line) {
    QStringList before;
    while (line.isOpen() && line.bytesAvailable() > 0) {
        const Result<QByteArray> stale = line.read(line.bytesAvailable(), 0);
        if (!stale || stale.value().isEmpty())
            break;
        before << hexText(stale.value());
    }
    return before;
}

// After a complete answer: what ends its line, if it follows at once (three short reads at most).
void readLineEnd(SerialLine& line, Exchange& x) {
    for (int i = 0; i < 3; ++i) {
        const Result<QByteArray> tail = line.read(4096, 5);
        if (!tail || tail.value().isEmpty())
            break;
        x.received += tail.value();
    }
}

// What the decoder cannot know: a model without replies, a command that is never answered.
void explainReply(Exchange& x, const ProjectorModel& model, const ExchangeRequest& request) {
    if (!model.replies && !x.received.isEmpty()) {
        x.reply.outcome = ReplyOutcome::NotUnderstood;
        x.reply.meaning =
            QStringLiteral("not decoded: the catalogue has no replies for %1").arg(model.name());
    }
    if (request.silent && !x.reply.answered() && !x.stopped) {
        x.reply.outcome = ReplyOutcome::NotExpected;
        x.reply.meaning = QStringLiteral("sent; %1 never answers %2, ask its power state to see "
                                         "whether it took")
                              .arg(model.name(), request.command);
    }
}

} // namespace

Exchange runExchange(SerialLine& line, const ProjectorModel& model, const ExchangeRequest& request,
                     const SerialSettings& settings, const std::atomic<bool>* stop,
                     const std::function<void(qint64)>& waiting) {
    Exchange x;
    x.label = request.label;
    x.settings = settings;
    x.sent = request.bytes;
    x.timeoutMs = request.silent ? std::min(request.timeoutMs, kSilentWaitMs) : request.timeoutMs;
    const QStringList before = readStale(line);
    static const ReplyRules kNoRules;
    ReplyDecoder decoder(model.replies ? *model.replies : kNoRules, request.bytes, request.query);
    QElapsedTimer clock;
    clock.start();
    x.sentAtMs = QDateTime::currentMSecsSinceEpoch();
    auto failed = [&](const Error& e) {
        x.failure = e.message;
        x.waitedMs = clock.elapsed();
        return x;
    };
    if (Status s = line.write(request.bytes); !s)
        return failed(s.error());
    if (Status s = line.waitForWritten(5000 + int(request.bytes.size())); !s)
        return failed(s.error());
    double answerAt = -1;
    qint64 lastByteAt = 0;
    while (clock.elapsed() < x.timeoutMs) {
        if (stop && *stop) {
            x.stopped = true;
            break;
        }
        if (model.replies && !decoder.hasAnswer() && decoder.garbled() &&
            clock.elapsed() - lastByteAt > kGarbageQuietMs)
            break;
        const Result<QByteArray> chunk =
            line.read(4096, int(std::min<qint64>(50, x.timeoutMs - clock.elapsed())));
        if (!chunk)
            return failed(chunk.error());
        if (!chunk.value().isEmpty()) {
            const double at = double(clock.nsecsElapsed()) / 1e6;
            lastByteAt = clock.elapsed();
            x.received += chunk.value();
            if (!model.replies)
                continue; // nothing to read it by: wait the time out, show what came
            decoder.feed(chunk.value());
            if (decoder.done() || (decoder.hasAnswer() && answerAt < 0))
                answerAt = at;
            if (decoder.done())
                break;
        }
        if (waiting)
            waiting(clock.elapsed());
    }
    if (decoder.done()) // what ends the answer's line, if it follows at once
        readLineEnd(line, x);
    x.waitedMs = clock.elapsed();
    x.reply = decoder.finish();
    explainReply(x, model, request);
    if (x.reply.answered())
        x.roundTripMs = answerAt;
    if (!before.isEmpty())
        x.reply.notes.prepend(
            QStringLiteral("before sending: %1").arg(before.join(QLatin1Char(' '))));
    return x;
}

Exchange unaskedExchange(const ProjectorModel& model, const QByteArray& bytes,
                         const SerialSettings& settings) {
    Exchange x;
    x.sentAtMs = QDateTime::currentMSecsSinceEpoch();
    x.label = QStringLiteral("(unasked)");
    x.settings = settings;
    x.received = bytes;
    if (model.replies) {
        x.reply = decodeReply(*model.replies, {}, {}, bytes);
    } else {
        x.reply.outcome = ReplyOutcome::NotUnderstood;
        x.reply.meaning = QStringLiteral("not decoded");
    }
    if (x.reply.outcome == ReplyOutcome::NoAnswer && !x.reply.notes.isEmpty()) {
        x.reply.meaning = x.reply.notes.takeFirst();
        x.reply.outcome = ReplyOutcome::State;
    }
    return x;
}

QStringList noAnswerChecklist(const ProjectorModel& model, const Exchange& x) {
    const ModelDefinition& d = model.definition;
    QStringList items;
    if (x.reply.echoSeen)
        items << QStringLiteral("Echo: what came back is the command itself. The cable or adapter "
                                "sends it back, and the projector did not answer.");
    if (x.reply.outcome == ReplyOutcome::NotUnderstood && model.replies)
        items << QStringLiteral("Garbage: what came back is no answer %1 gives. Most often the "
                                "baud rate differs from the projector's: try the other rates.")
                     .arg(model.name());
    items << QStringLiteral("Cable: from a PC the projector needs a crossed (null-modem) cable "
                            "unless its manual says straight; with the wrong one nothing comes "
                            "back. Check that it sits in the projector's RS-232 control port.");
    const SerialSettings wanted = model.settings();
    items << (wanted == x.settings
                  ? QStringLiteral("Settings: %1 talks at %2 (baud, parity, data bits, stop "
                                   "bits), as used here; its menu may have been set to another "
                                   "rate.")
                        .arg(model.name(), wanted.toString())
                  : QStringLiteral("Settings: %1 talks at %2; this test used %3.")
                        .arg(model.name(), wanted.toString(), x.settings.toString()));
    const auto [prefix, suffix] = commonEnds(d);
    if (d.presentAs == Notation::Hex) {
        const bool known = !bytesRequest(model, x.sent).command.isEmpty() ||
                           !bytesRequest(model, x.sent).query.isEmpty();
        items << QStringLiteral("Bytes: %1 takes its binary commands byte for byte, checksum "
                                "included; %2")
                     .arg(model.name(), known ? QStringLiteral("what was sent is one of its own.")
                                              : QStringLiteral("what was sent is none of its "
                                                               "commands: check it against the "
                                                               "manual."));
    } else if (!suffix.isEmpty() || !prefix.isEmpty()) {
        const QString framing =
            prefix.isEmpty()   ? QStringLiteral("end with %1").arg(mnemonicText(suffix))
            : suffix.isEmpty() ? QStringLiteral("start with %1").arg(mnemonicText(prefix))
                               : QStringLiteral("start with %1 and end with %2")
                                     .arg(mnemonicText(prefix), mnemonicText(suffix));
        const bool fits = x.sent.startsWith(prefix) && x.sent.endsWith(suffix);
        items << QStringLiteral("Line ending: %1's commands %2; %3")
                     .arg(model.name(), framing,
                          fits ? QStringLiteral("what was sent does too.")
                               : QStringLiteral("what was sent does not: add it."));
    }
    items << QStringLiteral("Projector: switched on at the mains, its control port not disabled "
                            "in its menu, and no lamp or temperature fault (some do not answer "
                            "then).");
    return items;
}

QList<int> otherBaudRates(int current) {
    QList<int> rates;
    for (int rate : kPanelBaudRates)
        if (rate != current && rate != 7600) // 7600 is the panel's own, no projector's
            rates << rate;
    return rates;
}

int tryBaudRates(SerialLine& line, const ProjectorModel& model, const ExchangeRequest& request,
                 const QList<int>& rates, const SerialSettings& settings,
                 const std::atomic<bool>* stop, const std::function<void(const Exchange&)>& tried) {
    ExchangeRequest probe = request;
    probe.timeoutMs = std::min(request.timeoutMs, kTryWaitMs);
    for (int rate : rates) {
        if (stop && *stop)
            break;
        SerialSettings s = settings;
        s.baudRate = rate;
        if (!line.setSettings(s))
            continue;
        const Exchange x = runExchange(line, model, probe, s, stop);
        if (tried)
            tried(x);
        if (x.reply.answered())
            return rate;
    }
    static_cast<void>(line.setSettings(settings));
    return 0;
}

} // namespace ondrel
