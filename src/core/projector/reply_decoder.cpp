#include "projector/reply_decoder.h"

#include "project/byte_text.h"

#include <algorithm>

namespace ondrel {

QString ReplyDecoding::text() const {
    return notes.isEmpty() ? meaning
                           : meaning + QStringLiteral("; ") + notes.join(QStringLiteral("; "));
}

ReplyDecoder::ReplyDecoder(const ReplyRules& rules, QByteArray sent, QString query)
    : rules_(rules), sent_(std::move(sent)), sentFrame_(rules.sentFrame(sent_)),
      query_(std::move(query)) {}

std::optional<ReplyDecoder::Matched> ReplyDecoder::match(const QByteArray& frame) const {
    for (const ReplyRule& rule : rules_.rules) {
        // A query's own replies count only after that query: families answer several queries
        // with frames that differ only in what was asked.
        const bool generic =
            rule.kind == QLatin1String("ack") || rule.kind == QLatin1String("refused") ||
            rule.kind == QLatin1String("busy") || rule.kind == QLatin1String("event") ||
            rule.kind == QLatin1String("value");
        if (!generic && rule.kind.compare(query_, Qt::CaseInsensitive) != 0)
            continue;
        if (const auto fields = rules_.match(rule, frame, sent_))
            return Matched{rule.kind, rules_.meaningOf(rule, *fields)};
    }
    return std::nullopt;
}

bool ReplyDecoder::garbled() const {
    return unmatched_ ||
           (rules_.form == ReplyForm::Text &&
            std::any_of(buffer_.begin(), buffer_.end(), [](char c) { return quint8(c) >= 0x80; }));
}

void ReplyDecoder::feed(const QByteArray& bytes) {
    received_ += bytes;
    buffer_ += bytes;
    takeFrames();
}

void ReplyDecoder::takeFrames() {
    if (rules_.form == ReplyForm::Text) {
        for (qsizetype i = 0; i < buffer_.size() && !done();) {
            if (!rules_.ends.contains(buffer_.at(i))) {
                ++i;
                continue;
            }
            const QByteArray unit = buffer_.left(i);
            const char end = buffer_.at(i);
            buffer_.remove(0, i + 1);
            i = 0;
            takeUnit(unit, end);
        }
        return;
    }
    while (!buffer_.isEmpty() && !done()) {
        if (!echoDone_) { // a line or adapter that sends the command back
            if (buffer_.startsWith(sent_)) {
                buffer_.remove(0, sent_.size());
                echoDone_ = echoSeen_ = true;
                continue;
            }
            if (sent_.startsWith(buffer_))
                return;
        }
        const int length = frameLength();
        if (length == 0 || buffer_.size() < length)
            return;
        const QByteArray frame = buffer_.left(length);
        if (length < 0 || !rules_.checksumOk(frame)) { // noise: look for a frame one byte on
            unmatched_ = true;
            buffer_.remove(0, 1);
            continue;
        }
        buffer_.remove(0, length);
        decodeFrame(frame);
    }
}

int ReplyDecoder::frameLength() const {
    const quint8 first = quint8(buffer_.at(0));
    if (!rules_.startBytes.isEmpty() && !rules_.startBytes.contains(char(first)))
        return -1;
    const FrameLength& l = rules_.length;
    switch (l.kind) {
    case FrameLength::Kind::Fixed:
        return l.base;
    case FrameLength::Kind::ByteAt:
        return buffer_.size() <= l.index ? 0 : l.base + quint8(buffer_.at(l.index));
    case FrameLength::Kind::Le16At:
        return buffer_.size() <= l.index + 1
                   ? 0
                   : l.base + quint8(buffer_.at(l.index)) + 256 * quint8(buffer_.at(l.index + 1));
    case FrameLength::Kind::ByFirstByte:
        return l.byFirst.value(first, -1);
    case FrameLength::Kind::None:
        break;
    }
    return -1;
}

void ReplyDecoder::takeUnit(QByteArray unit, char end) {
    if (!echoDone_ && rules_.echo != EchoHandling::Answer && !sentFrame_.isEmpty()) {
        // The command as sent, before the answer: drop it, and the unit with it when the end
        // byte was the echo's own ("*pow=?#").
        QByteArray rest = unit;
        while (!rest.isEmpty() &&
               (rest.at(0) == '\r' || rest.at(0) == '\n' || rules_.prompt.contains(rest.at(0)) ||
                rules_.start.contains(rest.at(0))))
            rest.remove(0, 1);
        if (rest.startsWith(sentFrame_)) {
            echoDone_ = echoSeen_ = true;
            unit = rest.mid(sentFrame_.size());
            if (unit.isEmpty())
                return;
        }
    }
    const QByteArray payload = rules_.payloadOf(unit);
    if (payload.isEmpty() && (end == '\r' || end == '\n' || end == '\0'))
        return; // a blank line
    decodeFrame(payload);
}

void ReplyDecoder::decodeFrame(const QByteArray& frame) {
    echoDone_ = true;
    // Several lines: each one a value of its own, unless only the whole makes sense.
    std::optional<Matched> found;
    if (frame.contains('\n')) {
        QStringList meanings;
        for (const QByteArray& line : frame.split('\n')) {
            const auto one = match(line);
            if (!one) {
                found.reset();
                break;
            }
            if (!found)
                found = one;
            meanings << one->meaning;
        }
        if (found)
            found->meaning = meanings.join(QStringLiteral("; "));
    }
    if (!found)
        found = match(frame);
    if (!found) {
        unmatched_ = true;
        return;
    }
    if (found->kind == QLatin1String("event")) {
        notes_ << found->meaning + QStringLiteral(" (sent unasked)");
        return;
    }
    ReplyDecoding reply;
    reply.meaning = found->meaning;
    reply.outcome =
        found->kind == QLatin1String("ack") ? ReplyOutcome::Acknowledged
        : found->kind == QLatin1String("refused") || found->kind == QLatin1String("busy")
            ? ReplyOutcome::Refused
            : ReplyOutcome::State;
    // A query may be acknowledged before its answer comes (or a late acknowledgement of the
    // command before may arrive): wait on for the answer.
    if (!query_.isEmpty() && reply.outcome == ReplyOutcome::Acknowledged)
        provisional_ = provisional_ ? provisional_ : reply;
    else
        final_ = reply;
}

ReplyDecoding ReplyDecoder::finish() {
    if (!done() && !buffer_.isEmpty()) { // an answer without its end: look at it all the same
        const QByteArray rest = buffer_;
        buffer_.clear();
        if (rules_.form == ReplyForm::Text)
            takeUnit(rest, '\0');
        else if (!echoDone_ && sent_.startsWith(rest))
            echoSeen_ = true;
        else
            unmatched_ = true;
    }
    ReplyDecoding reply;
    if (final_ || provisional_) {
        reply = final_ ? *final_ : *provisional_;
    } else if (unmatched_) {
        reply.outcome = ReplyOutcome::NotUnderstood;
        reply.meaning = QStringLiteral("not understood: %1").arg(hexMnemonicText(received_));
    } else {
        reply.meaning = echoSeen_ ? QStringLiteral("no answer: only the command came back")
                                  : QStringLiteral("no answer");
    }
    reply.notes = notes_;
    reply.echoSeen = echoSeen_;
    return reply;
}

ReplyDecoding decodeReply(const ReplyRules& rules, const QByteArray& sent, const QString& query,
                          const QByteArray& received) {
    ReplyDecoder decoder(rules, sent, query);
    decoder.feed(received);
    return decoder.finish();
}

} // namespace ondrel
