#pragma once

#include "projector/reply_rules.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace ondrel {

enum class ReplyOutcome {
    NoAnswer,
    Acknowledged,
    State, // a query's answer or another value
    Refused,
    NotUnderstood,
    NotExpected, // the projector never answers what was sent
};

// What came back after one command.
struct ReplyDecoding {
    ReplyOutcome outcome = ReplyOutcome::NoAnswer;
    QString meaning;   // "acknowledged", "power: warming up", "not understood: 45 52 |ER|"
    QStringList notes; // what else came: status lines the projector sent by itself, the echo
    bool echoSeen = false;
    // The meaning, then the notes.
    QString text() const;
    bool answered() const {
        return outcome == ReplyOutcome::Acknowledged || outcome == ReplyOutcome::State ||
               outcome == ReplyOutcome::Refused;
    }
};

// Reads what a projector sends back after `sent`, as its replies section says, in pieces as they
// arrive. Tolerates what real projectors do: answers in lower case, the command echoed first, a
// prompt before the answer, answers split over reads, noise before a frame, status lines sent
// unasked. `query` names the query `sent` asks (empty for a command): some families answer
// different questions with the same frame.
class ReplyDecoder {
public:
    ReplyDecoder(const ReplyRules& rules, QByteArray sent, QString query = {});

    void feed(const QByteArray& bytes);
    // A final answer is in: no need to wait longer.
    bool done() const { return final_.has_value(); }
    // Something that counts as an answer is in (perhaps only an acknowledgement of a query).
    bool hasAnswer() const { return final_ || provisional_; }
    // What came so far can be no answer (noise, frames of no reply, bytes no text reply holds):
    // once the line goes quiet there is no point in waiting on.
    bool garbled() const;
    // What came back, once the wait is over (what is still unframed is looked at too).
    ReplyDecoding finish();

private:
    struct Matched {
        QString kind, meaning;
    };
    std::optional<Matched> match(const QByteArray& frame) const;
    void takeUnit(QByteArray unit, char end);
    void takeFrames();
    void decodeFrame(const QByteArray& frame);
    int frameLength() const; // 0: more bytes needed; -1: no frame starts here

    const ReplyRules& rules_;
    QByteArray sent_, sentFrame_;
    QString query_;
    QByteArray buffer_, received_;
    bool echoDone_ = false, echoSeen_ = false, unmatched_ = false;
    std::optional<ReplyDecoding> final_, provisional_;
    QStringList notes_;
};

// Everything `received` after `sent`, decoded in one go.
ReplyDecoding decodeReply(const ReplyRules& rules, const QByteArray& sent, const QString& query,
                          const QByteArray& received);

} // namespace ondrel
