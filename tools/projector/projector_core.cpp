#include "projector_core.h"

#include <QRegularExpression>
#include <algorithm>

namespace ondrel::projector {

namespace {

const ReplyRules& rulesOf(const ProjectorModel& model) {
    static const ReplyRules none;
    return model.replies ? *model.replies : none;
}

// The words of a code's meaning or a command name, without what stands in brackets:
// "computer 1 (VGA 1)" and "Computer_1" both give {computer, 1}.
QStringList wordsOf(QString text) {
    static const QRegularExpression brackets(QStringLiteral("\\([^)]*\\)"));
    static const QRegularExpression separators(QStringLiteral("[^a-z0-9]+"));
    return text.remove(brackets).toLower().split(separators, Qt::SkipEmptyParts);
}

bool startsWithWord(const QString& text, const QString& word) {
    return text == word || text.startsWith(word + QLatin1Char(' ')) ||
           text.startsWith(word + QLatin1Char(','));
}

const Power kPowers[] = {Power::Standby, Power::WarmingUp, Power::On, Power::CoolingDown};

// A byte sent at one rate and read at another: never a character, never a frame's start.
char garble(char c) {
    return char(0x80 | ((quint8(c) ^ 0x55) & 0x7F));
}

QByteArray numberBytes(const ReplyRules& rules, const TemplatePart& field, qint64 value) {
    value *= field.divisor;
    if (rules.form == ReplyForm::Text)
        return QByteArray::number(value).rightJustified(field.width, '0');
    QByteArray bytes;
    for (int i = 0; i < field.width; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
    if (field.bigEndian)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

} // namespace

QString powerWord(Power power) {
    switch (power) {
    case Power::Standby:
        return QStringLiteral("standby");
    case Power::WarmingUp:
        return QStringLiteral("warming up");
    case Power::On:
        return QStringLiteral("on");
    case Power::CoolingDown:
        break;
    }
    return QStringLiteral("cooling down");
}

VirtualProjector::VirtualProjector(ProjectorModel model, Options options)
    : model_(std::move(model)), rules_(rulesOf(model_)), options_(options),
      baud_(options.baud > 0 ? options.baud : model_.definition.baud) {
    for (const ModelCommand& c : model_.definition.commands) {
        known_ << Known{c.primary, c.name, {}};
        if (c.secondary)
            known_ << Known{*c.secondary, c.name, {}};
    }
    for (const ReplyQuery& q : rules_.queries)
        known_ << Known{q.bytes, {}, q.name};
    // Text families act on the byte their commands end with; a command without it is no command.
    if (rules_.form == ReplyForm::Text && !model_.definition.commands.isEmpty()) {
        const char last = model_.definition.commands.first().primary.back();
        if (std::all_of(known_.begin(), known_.end(),
                        [last](const Known& k) { return k.bytes.endsWith(last); }))
            terminator_ = last;
    }
}

void VirtualProjector::receive(const QByteArray& bytes, qint64 nowUs) {
    const int gapUs = 30'000;
    for (const char c : bytes) {
        receivedUs_ = std::max(nowUs, receivedUs_) + byteUs(lineBaud_ > 0 ? lineBaud_ : baud_);
        if (options_.echo)
            outputs_.emplace(receivedUs_, c);
        advance(receivedUs_);
        pending_ += c;
        if (garbled()) { // framing errors: nothing reads as a command, and the pause ends it
            gapDueUs_ = receivedUs_ + gapUs;
            continue;
        }
        const Known* found = nullptr;
        for (const Known& k : known_)
            if (pending_.endsWith(k.bytes) && (!found || k.bytes.size() > found->bytes.size()))
                found = &k;
        if (found) {
            pending_.clear();
            gapDueUs_ = -1;
            take(*found, receivedUs_);
        } else if (terminator_ && c == terminator_ && !pending_.trimmed().isEmpty()) {
            refuse(false, pending_, receivedUs_);
            pending_.clear();
            gapDueUs_ = -1;
        } else if (!terminator_) {
            gapDueUs_ = receivedUs_ + gapUs;
        }
    }
}

qint64 VirtualProjector::nextDueUs() const {
    qint64 next = outputs_.empty() ? -1 : outputs_.begin()->first;
    for (const qint64 t : {gapDueUs_, changeAtUs_})
        if (t >= 0 && (next < 0 || t < next))
            next = t;
    return next;
}

QByteArray VirtualProjector::takeDue(qint64 nowUs, bool* close) {
    if (close)
        *close = false;
    if (gapDueUs_ >= 0 && nowUs >= gapDueUs_) { // bytes that made no command
        const qint64 at = gapDueUs_;
        gapDueUs_ = -1;
        if (!pending_.isEmpty())
            refuse(false, std::exchange(pending_, {}), at);
    }
    advance(nowUs);
    QByteArray due;
    while (!outputs_.empty() && outputs_.begin()->first <= nowUs) {
        due += outputs_.begin()->second;
        outputs_.erase(outputs_.begin());
    }
    return due;
}

Power VirtualProjector::power(qint64 nowUs) {
    advance(nowUs);
    return power_;
}

void VirtualProjector::advance(qint64 nowUs) {
    if (changeAtUs_ < 0 || nowUs < changeAtUs_)
        return;
    power_ = power_ == Power::WarmingUp ? Power::On : Power::Standby;
    changeAtUs_ = -1;
    if (log)
        log(QStringLiteral("now %1").arg(powerWord(power_)));
}

void VirtualProjector::startChange(Power to, qint64 atUs) {
    power_ = to;
    changeAtUs_ = atUs + (to == Power::WarmingUp ? options_.warmUpUs : options_.coolDownUs);
    if (log)
        log(powerWord(to));
    // Families that report their state unasked do so as it changes.
    for (const auto& [state, when] :
         {std::pair{to, atUs},
          std::pair{to == Power::WarmingUp ? Power::On : Power::Standby, changeAtUs_}})
        if (const auto r = reply(QStringLiteral("event"), {},
                                 [&](const TemplatePart& f) { return stateCode(f.name, state); }))
            send(when, *r);
}

std::optional<QByteArray> VirtualProjector::reply(
    const QString& kind, const QByteArray& sent,
    const std::function<std::optional<QByteArray>(const TemplatePart&)>& value) const {
    for (const ReplyRule& rule : rules_.rules) {
        if (rule.kind != kind)
            continue;
        FieldValues values;
        bool filled = true;
        for (const TemplatePart& p : rule.parts)
            if (p.kind == TemplatePart::Kind::Field) {
                const auto v = value(p);
                filled = filled && v.has_value();
                if (v)
                    values.insert(p.name.toLower(), *v);
            }
        if (filled)
            if (const auto bytes = rules_.make(rule, values, sent))
                return bytes;
    }
    return std::nullopt;
}

std::optional<QByteArray> VirtualProjector::stateCode(const QString& table, Power power) const {
    if (const QList<CodeEntry>* entries = rules_.table(table))
        for (const CodeEntry& e : *entries)
            if (e.bit < 0 && startsWithWord(e.text, powerWord(power)))
                return e.value;
    return std::nullopt;
}

// The code whose meaning names the source chosen last with the most words.
std::optional<QByteArray> VirtualProjector::inputCode(const QString& table) const {
    const QList<CodeEntry>* entries = rules_.table(table);
    if (!entries || entries->isEmpty())
        return std::nullopt;
    const QStringList chosen = wordsOf(input_);
    const CodeEntry* best = &entries->first();
    qsizetype bestWords = 0;
    for (const CodeEntry& e : *entries) {
        const QStringList words = wordsOf(e.text);
        if (words.size() > bestWords &&
            std::all_of(words.begin(), words.end(),
                        [&](const QString& w) { return chosen.contains(w); })) {
            best = &e;
            bestWords = words.size();
        }
    }
    return best->value;
}

void VirtualProjector::refuse(bool notNow, const QByteArray& sent, qint64 atUs) {
    if (log)
        log(notNow
                ? QStringLiteral("refused now: %1").arg(QString::fromLatin1(sent.toHex(' ')))
                : QStringLiteral("not understood: %1").arg(QString::fromLatin1(sent.toHex(' '))));
    auto firstCode = [this](const TemplatePart& f) -> std::optional<QByteArray> {
        if (const QList<CodeEntry>* entries = rules_.table(f.name))
            for (const CodeEntry& e : *entries)
                if (e.bit < 0)
                    return e.value;
        return std::nullopt;
    };
    for (const QString& kind : notNow
                                   ? QStringList{QStringLiteral("busy"), QStringLiteral("refused")}
                                   : QStringList{QStringLiteral("refused"), QStringLiteral("busy")})
        if (const auto r = reply(kind, sent, firstCode)) {
            send(atUs, *r);
            return;
        }
}

void VirtualProjector::answerQuery(const Known& known, qint64 atUs) {
    bool stateQuery = false; // one that tells the power state
    for (const ReplyRule& rule : rules_.rules)
        if (rule.kind == known.query)
            for (const TemplatePart& p : rule.parts)
                if (p.kind == TemplatePart::Kind::Field)
                    for (const Power power : kPowers)
                        stateQuery = stateQuery || stateCode(p.name, power).has_value();
    if (!stateQuery && power_ != Power::On) { // most families answer little else in standby
        refuse(true, known.bytes, atUs);
        return;
    }
    bool busy = false;
    const auto value = [&](const TemplatePart& f) -> std::optional<QByteArray> {
        const QList<CodeEntry>* entries = rules_.table(f.name);
        if (!entries)
            return f.number ? std::optional(numberBytes(rules_, f, options_.lampHours))
                            : std::nullopt;
        if (std::any_of(std::begin(kPowers), std::end(kPowers),
                        [&](Power p) { return stateCode(f.name, p).has_value(); })) {
            if (const auto code = stateCode(f.name, power_))
                return code;
            // A family without a word for warming or cooling refuses then, or says on or off.
            busy = true;
            return stateCode(f.name, power_ == Power::WarmingUp ? Power::On : Power::Standby);
        }
        if (known.query == QLatin1String("input"))
            return inputCode(f.name);
        for (const CodeEntry& e : *entries) // errors: none
            if (e.bit < 0 && e.value.count('\0') + e.value.count('0') == e.value.size())
                return e.value;
        return entries->first().value;
    };
    const auto answer = reply(known.query, known.bytes, value);
    if (busy && std::any_of(rules_.rules.begin(), rules_.rules.end(),
                            [](const ReplyRule& r) { return r.kind == QLatin1String("busy"); }))
        refuse(true, known.bytes, atUs);
    else if (answer)
        send(atUs, *answer);
}

void VirtualProjector::take(const Known& known, qint64 atUs) {
    if (log)
        log(QStringLiteral("%1 at %2")
                .arg(known.query.isEmpty() ? known.command : known.query + QLatin1Char('?'),
                     powerWord(power_)));
    if (rules_.echo == EchoHandling::Always && !options_.silent) { // prompt, then the command
        QByteArray echo = known.bytes;
        while (!echo.isEmpty() && (echo.at(0) == '\r' || echo.at(0) == '\n'))
            echo.remove(0, 1);
        send(atUs, rules_.prompt.left(1) + echo, false);
    }
    if (!known.query.isEmpty()) {
        answerQuery(known, atUs);
        return;
    }
    const bool silent = rules_.isSilent(known.command);
    const auto ack = [&](qint64 when) {
        if (!silent)
            if (const auto r = reply(QStringLiteral("ack"), known.bytes,
                                     [](const TemplatePart&) { return std::nullopt; }))
                send(when, *r);
    };
    const auto notNow = [&] {
        if (!silent)
            refuse(true, known.bytes, atUs);
    };
    const bool late = rules_.isLate(known.command);
    if (known.command == QLatin1String("On")) {
        if (power_ == Power::Standby) {
            ack(late ? atUs + options_.warmUpUs : atUs);
            startChange(Power::WarmingUp, atUs);
        } else if (power_ == Power::CoolingDown) {
            notNow();
        } else {
            ack(late && power_ == Power::WarmingUp ? changeAtUs_ : atUs);
        }
    } else if (known.command == QLatin1String("Off")) {
        if (power_ == Power::WarmingUp) {
            notNow();
        } else {
            ack(atUs);
            if (power_ == Power::On)
                startChange(Power::CoolingDown, atUs);
        }
    } else if (power_ == Power::On) {
        ack(atUs);
        for (const ReplyRule& rule : rules_.rules) // a source command: the input it chooses
            if (rule.kind == QLatin1String("input"))
                for (const TemplatePart& p : rule.parts)
                    if (const QList<CodeEntry>* entries =
                            p.kind == TemplatePart::Kind::Field ? rules_.table(p.name) : nullptr)
                        for (const CodeEntry& e : *entries)
                            if (wordsOf(e.text) == wordsOf(known.command))
                                input_ = known.command;
    } else {
        notNow();
    }
}

void VirtualProjector::send(qint64 atUs, const QByteArray& bytes, bool slow) {
    if (options_.silent)
        return;
    const qint64 us = byteUs(baud_);
    qint64 t = std::max(atUs + (slow ? options_.slowUs : 0), sendFreeUs_);
    for (const char c : bytes) {
        t += us; // a byte is in once its last bit is
        outputs_.emplace(t, garbled() ? garble(c) : c);
    }
    sendFreeUs_ = t;
}

} // namespace ondrel::projector
