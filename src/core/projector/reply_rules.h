#pragma once

#include "result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace ondrel {

// What a projector family answers and how to read it: the replies section of a model. Written as
// "key = value" lines (a "#" line is a comment):
//
//   form = text | binary
//   text replies:   end = CHARS     bytes that end a reply (text notation: ":" "<CR>" "#<CR><LF>")
//                   start = CHARS   a reply starts after this byte; bytes before it are noise
//                   prompt = CHARS  characters a reply may begin with, dropped (">")
//                   prefix = CHARS, suffix = CHARS   what the projector puts around a reply it
//                                   sends (default: start, and end when it is one byte)
//                   echo = answer   a command is acknowledged by sending it back
//                   echo = always   every command comes back first, then the answer
//   binary replies: length = N | N + byte I | N + le16 I | first BB:N BB:N ...
//                   start = BB ...  the bytes a reply can begin with
//                   checksum = sum|or FROM TO   the byte after TO holds the low byte of the sum
//                                   (or the OR) of bytes FROM to TO; negative counts from the end
//   timeout = MS, timeout NAME = MS      how long to wait, for all or for one command or query
//   silent = NAME ...    commands the projector never answers
//   late = NAME ...      commands answered only once done (switching on: when warm)
//   query NAME = BYTES   a question (text notation for text replies, hex for binary ones); the
//                        first of a name is the one sent, further ones are recognised as it
//   KIND = TEMPLATE [-> MEANING]    a reply: KIND is ack, refused, busy, event, value, or the
//                        name of the query it answers; the first that matches counts
//   TABLE CODE = TEXT    what a field's code means: the text itself (text replies), hex bytes,
//                        hex/mask, or "bit N"
//
// A template is literal text (binary: hex bytes) with fields in braces: {name} a code of letters
// and digits, {name:2} two characters, {name:d} or {name:4d} a decimal number, {name:*} any text,
// {echo} the command as sent ({echo:upper} in capitals); binary: {name} one byte, {name:2} two,
// {name:le2} {name:le4} {name:be2} numbers, "/3600" after them divides; ".." any byte, "=N" byte
// N of the command sent and "=N|HH" the same with bits HH set. A field with a table is a code,
// one without is a number (binary, or text with "d") or the text.
enum class ReplyForm { Text, Binary };

struct TemplatePart {
    enum class Kind { Literal, Any, CommandByte, Field, Echo };
    Kind kind = Kind::Literal;
    QByteArray literal; // Literal
    int index = 0;      // CommandByte: which byte of the command
    quint8 orMask = 0;  // CommandByte
    QString name;       // Field
    int width = 0;      // Field: characters (0: free) or bytes
    bool number = false, anyText = false, bigEndian = false, upper = false;
    qint64 divisor = 1;
};

struct ReplyRule {
    QString kind; // ack, refused, busy, event, value or a query name
    QList<TemplatePart> parts;
    QString meaning; // with {field} placeholders; empty: the kind's usual text
    int line = 0;
    bool usesEcho() const;
};

struct CodeEntry {
    QByteArray value; // the code's text (text replies) or bytes
    QByteArray mask;  // binary: the bits compared (empty: all)
    int bit = -1;     // "bit N" entries name one set bit
    QString text;
};

struct ReplyQuery {
    QString name;
    QByteArray bytes;
};

struct FrameLength {
    enum class Kind { None, Fixed, ByteAt, Le16At, ByFirstByte };
    Kind kind = Kind::None;
    int base = 0;  // Fixed: the length; ByteAt, Le16At: added to the value read
    int index = 0; // where the value is read
    QHash<quint8, int> byFirst;
};

struct Checksum {
    enum class Kind { None, Sum, Or };
    Kind kind = Kind::None;
    int from = 0, to = 0; // inclusive; negative counts from the end (-1 is the last byte)
};

enum class EchoHandling { Loopback, Answer, Always };

// Values for a reply's fields, for making one: raw characters (text) or bytes (binary).
using FieldValues = QHash<QString, QByteArray>;

struct ReplyRules {
    ReplyForm form = ReplyForm::Text;
    QByteArray ends, start, prompt, prefix, suffix; // text replies
    EchoHandling echo = EchoHandling::Loopback;
    FrameLength length; // binary replies
    QByteArray startBytes;
    Checksum checksum;
    int timeoutMs = 5000;
    QHash<QString, int> timeouts; // by lower-case command or query name
    QStringList silent, late;
    QList<ReplyQuery> queries;
    QList<ReplyRule> rules;
    QMap<QString, QList<CodeEntry>> tables; // by lower-case field name

    // The time-out for a command or query (the default for others and for empty names).
    int timeoutFor(const QString& name) const;
    bool isSilent(const QString& command) const {
        return silent.contains(command, Qt::CaseInsensitive);
    }
    bool isLate(const QString& command) const {
        return late.contains(command, Qt::CaseInsensitive);
    }
    // Query names in file order, each once.
    QStringList queryNames() const;
    // The bytes of the first query of `name`; nothing when the family has none.
    std::optional<QByteArray> query(const QString& name) const;
    // The query these bytes ask, if they are one.
    QString queryNamed(const QByteArray& bytes) const;
    const QList<CodeEntry>* table(const QString& name) const;

    // The text payload a text reply to `sent` would repeat as its echo ("PWR ON" for
    // "PWR ON<CR>"); empty for binary replies.
    QByteArray sentFrame(const QByteArray& sent) const;
    // The payload of one text unit (the bytes before an end byte): after its start byte, without
    // prompts, line breaks and blank lines; lines joined by "\n".
    QByteArray payloadOf(QByteArray unit) const;
    // Whether the checksum of a whole binary frame is right (always, without a checksum rule).
    bool checksumOk(const QByteArray& frame) const;

    // Matches a framed reply (text: the payload without framing; binary: the whole frame) against
    // `rule`, as an answer to `sent`; the decoded field values by name, or nothing.
    std::optional<QMap<QString, QString>> match(const ReplyRule& rule, const QByteArray& frame,
                                                const QByteArray& sent) const;
    // The text of a matched rule: its meaning with the fields filled in, or the kind's usual text.
    QString meaningOf(const ReplyRule& rule, const QMap<QString, QString>& fields) const;

    // The whole reply `rule` gives to `sent` with `values` (framing and checksum included), or
    // nothing when a field has no value. For the virtual projector.
    std::optional<QByteArray> make(const ReplyRule& rule, const FieldValues& values,
                                   const QByteArray& sent) const;
    // What a field's code means, its value decoded.
    QString decodeField(const TemplatePart& field, const QByteArray& raw) const;
};

// Reads a replies section. `firstLine` is the file line of the section's first line, so faults
// name the file's lines. Every fault goes to `faults`; the result is the first of them.
Result<ReplyRules> parseReplyRules(const QString& text, int firstLine = 1,
                                   QList<Error>* faults = nullptr);

// The label a query's answer is shown with: "lamp hours" for lamp, otherwise the name.
QString queryLabel(const QString& name);

} // namespace ondrel
