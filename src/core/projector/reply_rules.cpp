#include "projector/reply_rules.h"

#include "project/byte_text.h"
#include "project/command_notation.h"

#include <QRegularExpression>
#include <algorithm>

namespace ondrel {

namespace {

const QStringList kGenericKinds = {QStringLiteral("ack"), QStringLiteral("refused"),
                                   QStringLiteral("busy"), QStringLiteral("event"),
                                   QStringLiteral("value")};

// Bytes in a notation, or why not.
Result<QByteArray> replyBytes(const QString& text, Notation notation) {
    const ParsedCommand parsed = parseCommandNotation(text, notation);
    if (!parsed.ok())
        return makeError(parsed.fault->message());
    return parsed.bytes;
}

// "{name:spec}" of a template; the part, or why it is no field.
Result<TemplatePart> parseField(const QString& inside, ReplyForm form) {
    TemplatePart part;
    part.kind = TemplatePart::Kind::Field;
    const qsizetype colon = inside.indexOf(QLatin1Char(':'));
    part.name = (colon < 0 ? inside : inside.left(colon)).trimmed();
    QString spec = colon < 0 ? QString() : inside.mid(colon + 1).trimmed().toLower();
    static const QRegularExpression namePattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!namePattern.match(part.name).hasMatch())
        return makeError(
            QStringLiteral("\"{%1}\" needs a field name of letters and digits").arg(inside));
    if (part.name.compare(QLatin1String("echo"), Qt::CaseInsensitive) == 0) {
        if (form == ReplyForm::Binary)
            return makeError(QStringLiteral("{echo} is for text replies; use =N for a byte of "
                                            "the command"));
        part.kind = TemplatePart::Kind::Echo;
        part.upper = spec == QLatin1String("upper");
        if (!spec.isEmpty() && !part.upper)
            return makeError(QStringLiteral("{echo} takes no format but \"upper\""));
        return part;
    }
    if (const qsizetype slash = spec.indexOf(QLatin1Char('/')); slash >= 0) {
        bool ok = false;
        part.divisor = spec.mid(slash + 1).toLongLong(&ok);
        if (!ok || part.divisor < 1)
            return makeError(QStringLiteral("{%1}: divide by a whole number above 0").arg(inside));
        spec = spec.left(slash);
    }
    bool ok = false;
    if (form == ReplyForm::Text) {
        if (spec == QLatin1String("*")) {
            part.anyText = true;
        } else if (spec.endsWith(QLatin1Char('d'))) {
            part.number = true;
            part.width = spec.size() > 1 ? spec.chopped(1).toInt(&ok) : 0;
            if (spec.size() > 1 && (!ok || part.width < 1))
                return makeError(QStringLiteral("{%1}: \"Nd\" needs a width N").arg(inside));
        } else if (!spec.isEmpty()) {
            part.width = spec.toInt(&ok);
            if (!ok || part.width < 1)
                return makeError(
                    QStringLiteral("{%1}: the format is a width, d, Nd or *").arg(inside));
        }
    } else {
        static const QRegularExpression numberSpec(QStringLiteral("^(le|be)([124])$"));
        if (const auto m = numberSpec.match(spec); m.hasMatch()) {
            part.number = true;
            part.bigEndian = m.captured(1) == QLatin1String("be");
            part.width = m.captured(2).toInt();
        } else if (spec.isEmpty()) {
            part.width = 1;
        } else {
            part.width = spec.toInt(&ok);
            if (!ok || part.width < 1 || part.width > 8)
                return makeError(QStringLiteral("{%1}: the format is a byte count (1 to 8), le2, "
                                                "le4 or be2")
                                     .arg(inside));
        }
    }
    if (part.divisor != 1 && !part.number)
        return makeError(QStringLiteral("{%1}: only a number can be divided").arg(inside));
    return part;
}

Result<QList<TemplatePart>> parseTemplate(const QString& text, ReplyForm form) {
    QList<TemplatePart> parts;
    if (form == ReplyForm::Text) {
        qsizetype pos = 0;
        while (pos < text.size()) {
            const qsizetype open = text.indexOf(QLatin1Char('{'), pos);
            const QString literal = text.mid(pos, open < 0 ? -1 : open - pos);
            if (!literal.isEmpty()) {
                const auto bytes = replyBytes(literal, Notation::Text);
                if (!bytes)
                    return bytes.error();
                TemplatePart part;
                part.literal = bytes.value();
                parts << part;
            }
            if (open < 0)
                break;
            const qsizetype close = text.indexOf(QLatin1Char('}'), open);
            if (close < 0)
                return makeError(QStringLiteral("a \"{\" without its \"}\""));
            const auto field = parseField(text.mid(open + 1, close - open - 1), form);
            if (!field)
                return field.error();
            parts << field.value();
            pos = close + 1;
        }
        return parts;
    }
    static const QRegularExpression commandByte(
        QStringLiteral("^=(\\d+)(?:\\|([0-9A-Fa-f]{2}))?$"));
    for (const QString& token : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        TemplatePart part;
        if (token == QLatin1String("..")) {
            part.kind = TemplatePart::Kind::Any;
        } else if (const auto m = commandByte.match(token); m.hasMatch()) {
            part.kind = TemplatePart::Kind::CommandByte;
            part.index = m.captured(1).toInt();
            part.orMask = quint8(m.captured(2).toUInt(nullptr, 16));
        } else if (token.startsWith(QLatin1Char('{')) && token.endsWith(QLatin1Char('}'))) {
            const auto field = parseField(token.mid(1, token.size() - 2), form);
            if (!field)
                return field.error();
            part = field.value();
        } else {
            bool ok = false;
            const uint value = token.toUInt(&ok, 16);
            if (!ok || token.size() != 2)
                return makeError(QStringLiteral("\"%1\" is no byte: write two hex digits, \"..\", "
                                                "=N or a {field}")
                                     .arg(token));
            part.literal = QByteArray(1, char(value));
        }
        parts << part;
    }
    return parts;
}

Result<FrameLength> parseLength(const QString& text) {
    FrameLength length;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool ok = false;
    if (words.size() == 1) {
        length.kind = FrameLength::Kind::Fixed;
        length.base = words[0].toInt(&ok);
    } else if (words.size() == 4 && words[1] == QLatin1String("+") &&
               (words[2] == QLatin1String("byte") || words[2] == QLatin1String("le16"))) {
        length.kind = words[2] == QLatin1String("byte") ? FrameLength::Kind::ByteAt
                                                        : FrameLength::Kind::Le16At;
        bool indexOk = false;
        length.base = words[0].toInt(&ok);
        length.index = words[3].toInt(&indexOk);
        ok = ok && indexOk && length.index >= 0;
    } else if (words.size() > 1 && words[0] == QLatin1String("first")) {
        length.kind = FrameLength::Kind::ByFirstByte;
        ok = true;
        for (const QString& pair : words.mid(1)) {
            const QStringList bn = pair.split(QLatin1Char(':'));
            bool byteOk = false, countOk = false;
            const uint byte = bn.value(0).toUInt(&byteOk, 16);
            const int count = bn.value(1).toInt(&countOk);
            if (bn.size() != 2 || !byteOk || byte > 255 || !countOk || count < 1)
                ok = false;
            else
                length.byFirst.insert(quint8(byte), count);
        }
    }
    constexpr int kLongest = 4096; // far beyond any projector's reply
    if (!ok || length.base < 0 || length.base > kLongest || length.index > kLongest ||
        (length.kind == FrameLength::Kind::Fixed && length.base < 1) ||
        std::any_of(length.byFirst.begin(), length.byFirst.end(),
                    [](int n) { return n > kLongest; }))
        return makeError(QStringLiteral("length is N, \"N + byte I\", \"N + le16 I\" or \"first "
                                        "BB:N ...\", not \"%1\"")
                             .arg(text));
    return length;
}

Result<Checksum> parseChecksum(const QString& text) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    Checksum checksum;
    bool fromOk = false, toOk = false;
    if (words.size() == 3) {
        checksum.kind = words[0] == QLatin1String("sum")  ? Checksum::Kind::Sum
                        : words[0] == QLatin1String("or") ? Checksum::Kind::Or
                                                          : Checksum::Kind::None;
        checksum.from = words[1].toInt(&fromOk);
        checksum.to = words[2].toInt(&toOk);
    }
    if (checksum.kind == Checksum::Kind::None || !fromOk || !toOk)
        return makeError(
            QStringLiteral("checksum is \"sum FROM TO\" or \"or FROM TO\", not \"%1\"").arg(text));
    return checksum;
}

// "0100", "82/82": the bytes of a binary code.
std::optional<QByteArray> hexCode(const QString& text) {
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    if (text.isEmpty() || text.size() != bytes.size() * 2 ||
        text.contains(QRegularExpression(QStringLiteral("[^0-9A-Fa-f]"))))
        return std::nullopt;
    return bytes;
}

qint64 numberOf(const QByteArray& raw, bool bigEndian) {
    qint64 value = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const qsizetype at = bigEndian ? i : raw.size() - 1 - i;
        value = value << 8 | quint8(raw.at(at));
    }
    return value;
}

int resolvedIndex(int index, qsizetype size) {
    return index < 0 ? int(size) + index : index;
}

quint8 checksumOf(const Checksum& checksum, const QByteArray& frame) {
    quint8 value = 0;
    for (int i = std::max(0, resolvedIndex(checksum.from, frame.size()));
         i <= resolvedIndex(checksum.to, frame.size()) && i < frame.size(); ++i)
        value = checksum.kind == Checksum::Kind::Sum ? quint8(value + quint8(frame.at(i)))
                                                     : quint8(value | quint8(frame.at(i)));
    return value;
}

} // namespace

bool ReplyRule::usesEcho() const {
    return std::any_of(parts.begin(), parts.end(),
                       [](const TemplatePart& p) { return p.kind == TemplatePart::Kind::Echo; });
}

QString queryLabel(const QString& name) {
    return name.compare(QLatin1String("lamp"), Qt::CaseInsensitive) == 0
               ? QStringLiteral("lamp hours")
               : name.toLower();
}

int ReplyRules::timeoutFor(const QString& name) const {
    return timeouts.value(name.toLower(), timeoutMs);
}

QStringList ReplyRules::queryNames() const {
    QStringList names;
    for (const ReplyQuery& q : queries)
        if (!names.contains(q.name))
            names << q.name;
    return names;
}

std::optional<QByteArray> ReplyRules::query(const QString& name) const {
    for (const ReplyQuery& q : queries)
        if (q.name.compare(name, Qt::CaseInsensitive) == 0)
            return q.bytes;
    return std::nullopt;
}

QString ReplyRules::queryNamed(const QByteArray& bytes) const {
    for (const ReplyQuery& q : queries)
        if (q.bytes == bytes)
            return q.name;
    return {};
}

const QList<CodeEntry>* ReplyRules::table(const QString& name) const {
    const auto it = tables.constFind(name.toLower());
    return it == tables.constEnd() ? nullptr : &it.value();
}

QByteArray ReplyRules::payloadOf(QByteArray unit) const {
    if (!start.isEmpty())
        if (const qsizetype at = unit.lastIndexOf(start.at(0)); at >= 0)
            unit = unit.mid(at + 1);
    QByteArrayList lines;
    for (const QByteArray& line : unit.split('\r')) {
        for (QByteArray part : line.split('\n')) {
            while (!part.isEmpty() && prompt.contains(part.at(0)))
                part.remove(0, 1);
            if (!part.trimmed().isEmpty())
                lines << part;
        }
    }
    return lines.join('\n');
}

QByteArray ReplyRules::sentFrame(const QByteArray& sent) const {
    if (form != ReplyForm::Text)
        return {};
    QByteArray unit;
    for (char c : sent + '\0') {
        if (c != '\0' && !ends.contains(c)) {
            unit += c;
            continue;
        }
        if (const QByteArray payload = payloadOf(unit); !payload.isEmpty())
            return payload;
        unit.clear();
    }
    return {};
}

bool ReplyRules::checksumOk(const QByteArray& frame) const {
    if (checksum.kind == Checksum::Kind::None)
        return true;
    const int at = resolvedIndex(checksum.to, frame.size()) + 1;
    return at > 0 && at < frame.size() && quint8(frame.at(at)) == checksumOf(checksum, frame);
}

QString ReplyRules::decodeField(const TemplatePart& field, const QByteArray& raw) const {
    if (const QList<CodeEntry>* entries = table(field.name)) {
        const bool text = form == ReplyForm::Text;
        for (const CodeEntry& e : *entries) {
            if (e.bit >= 0)
                continue;
            if (text ? QString::fromLatin1(raw).trimmed().compare(QString::fromLatin1(e.value),
                                                                  Qt::CaseInsensitive) == 0
                     : raw.size() == e.value.size() && [&] {
                           for (qsizetype i = 0; i < raw.size(); ++i) {
                               const quint8 mask = e.mask.isEmpty() ? 0xFF : quint8(e.mask.at(i));
                               if ((quint8(raw.at(i)) & mask) != (quint8(e.value.at(i)) & mask))
                                   return false;
                           }
                           return true;
                       }())
                return e.text;
        }
        QStringList bits;
        for (const CodeEntry& e : *entries)
            if (e.bit >= 0 && e.bit / 8 < raw.size() &&
                (quint8(raw.at(e.bit / 8)) >> (e.bit % 8)) & 1)
                bits << e.text;
        if (!bits.isEmpty())
            return bits.join(QStringLiteral(", "));
        return QStringLiteral("code ") + (text ? QString::fromLatin1(raw) : hexText(raw, '\0'));
    }
    if (field.number) {
        const qint64 value =
            form == ReplyForm::Text ? raw.trimmed().toLongLong() : numberOf(raw, field.bigEndian);
        return QString::number(value / field.divisor);
    }
    return form == ReplyForm::Text ? QString::fromLatin1(raw).trimmed() : hexText(raw);
}

std::optional<QMap<QString, QString>>
ReplyRules::match(const ReplyRule& rule, const QByteArray& frame, const QByteArray& sent) const {
    QMap<QString, QString> fields;
    if (form == ReplyForm::Text) {
        QString pattern = QStringLiteral("^");
        QList<const TemplatePart*> groups;
        for (const TemplatePart& p : rule.parts) {
            switch (p.kind) {
            case TemplatePart::Kind::Literal:
                pattern += QRegularExpression::escape(QString::fromLatin1(p.literal));
                break;
            case TemplatePart::Kind::Echo:
                pattern += QRegularExpression::escape(QString::fromLatin1(sentFrame(sent)));
                break;
            case TemplatePart::Kind::Field:
                groups << &p;
                pattern += p.anyText  ? QStringLiteral("([ -~\\n]*)")
                           : p.number ? QStringLiteral("( *[0-9]+)")
                           : p.width  ? QStringLiteral("([ -~]{%1})").arg(p.width)
                                      : QStringLiteral("([A-Za-z0-9]+)");
                break;
            default:
                break;
            }
        }
        const QRegularExpression re(pattern + QStringLiteral("$"),
                                    QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = re.match(QString::fromLatin1(frame));
        if (!m.hasMatch())
            return std::nullopt;
        for (int g = 0; g < groups.size(); ++g)
            fields[groups[g]->name.toLower()] =
                decodeField(*groups[g], m.captured(g + 1).toLatin1());
        return fields;
    }
    qsizetype pos = 0;
    for (const TemplatePart& p : rule.parts) {
        const qsizetype width =
            p.kind == TemplatePart::Kind::Field ? qsizetype(p.width) : qsizetype(1);
        if (pos + width > frame.size())
            return std::nullopt;
        const quint8 b = quint8(frame.at(pos));
        switch (p.kind) {
        case TemplatePart::Kind::Literal:
            if (b != quint8(p.literal.at(0)))
                return std::nullopt;
            break;
        case TemplatePart::Kind::CommandByte:
            // Without the command, the bits set tell a success (2x) from a failure (Ax).
            if (p.index < sent.size() ? b != (quint8(sent.at(p.index)) | p.orMask)
                                      : p.orMask && (b & 0xF0) != (p.orMask & 0xF0))
                return std::nullopt;
            break;
        case TemplatePart::Kind::Field:
            fields[p.name.toLower()] = decodeField(p, frame.mid(pos, width));
            break;
        default:
            break;
        }
        pos += width;
    }
    if (pos != frame.size())
        return std::nullopt;
    return fields;
}

QString ReplyRules::meaningOf(const ReplyRule& rule, const QMap<QString, QString>& fields) const {
    if (!rule.meaning.isEmpty()) {
        QString text = rule.meaning;
        for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
            text.replace(QStringLiteral("{%1}").arg(it.key()), it.value(), Qt::CaseInsensitive);
        return text;
    }
    QString first;
    for (const TemplatePart& p : rule.parts)
        if (p.kind == TemplatePart::Kind::Field) {
            first = fields.value(p.name.toLower());
            break;
        }
    if (rule.kind == QLatin1String("ack"))
        return QStringLiteral("acknowledged");
    if (rule.kind == QLatin1String("refused"))
        return QStringLiteral("refused");
    if (rule.kind == QLatin1String("busy"))
        return QStringLiteral("refused: not now");
    if (rule.kind == QLatin1String("event"))
        return first;
    if (rule.kind == QLatin1String("value")) {
        QStringList all;
        for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
            all << it.value();
        return all.join(QStringLiteral(" "));
    }
    return queryLabel(rule.kind) + QStringLiteral(": ") + first;
}

std::optional<QByteArray> ReplyRules::make(const ReplyRule& rule, const FieldValues& values,
                                           const QByteArray& sent) const {
    QByteArray body;
    for (const TemplatePart& p : rule.parts) {
        switch (p.kind) {
        case TemplatePart::Kind::Literal:
            body += p.literal;
            break;
        case TemplatePart::Kind::Any:
            body += '\0';
            break;
        case TemplatePart::Kind::CommandByte:
            if (p.index >= sent.size())
                return std::nullopt;
            body += char(quint8(sent.at(p.index)) | p.orMask);
            break;
        case TemplatePart::Kind::Echo:
            body += p.upper ? sentFrame(sent).toUpper() : sentFrame(sent);
            break;
        case TemplatePart::Kind::Field: {
            const auto it = values.constFind(p.name.toLower());
            if (it == values.constEnd())
                return std::nullopt;
            body += it.value();
            break;
        }
        }
    }
    if (form == ReplyForm::Binary) {
        if (checksum.kind != Checksum::Kind::None) {
            const int at = resolvedIndex(checksum.to, body.size()) + 1;
            if (at <= 0 || at >= body.size())
                return std::nullopt;
            body[at] = char(checksumOf(checksum, body));
        }
        return body;
    }
    const QByteArray before = prefix.isEmpty() ? start : prefix;
    QByteArray after = suffix.isEmpty() && ends.size() == 1 ? ends : suffix;
    if (body.isEmpty()) // a bare prompt: no line break before it
        after.replace("\r", "").replace("\n", "");
    return before + body + after;
}

namespace {

// Reads a model's replies section: first the lines, then the form (text or binary) and the query
// names every other line depends on, then each line, then what a complete section needs.
class ReplyRulesParser {
public:
    ReplyRulesParser(const QString& section, int firstLine);
    Result<ReplyRules> finish(QList<Error>* faultsOut);

private:
    struct Line {
        int number;
        QStringList key; // words
        QString value;
    };

    void splitLines(const QString& section);
    void readForm();
    void readQueryNames();
    void readLine(const Line& l);
    QByteArray bytes(const Line& l, const QString& key, Notation n);
    void readTextFraming(const Line& l, const QString& key);
    void readBinaryFraming(const Line& l, const QString& key);
    void readTimeout(const Line& l);
    void readQuery(const Line& l);
    void readRule(const Line& l, const QString& key);
    void readCode(const Line& l, const QString& key);
    void checkComplete();
    void fault(int line, const QString& message) { faults_ << makeError(message, line); }

    ReplyRules rules_;
    QList<Error> faults_;
    QList<Line> lines_;
    int firstLine_;
    int lastLine_ = 0;
    bool text_ = true;
    Notation notation_ = Notation::Text;
    QStringList queryNames_;
    QList<QPair<int, QString>> fieldNames_; // every field's name, where used
    bool hasLength_ = false, hasEnd_ = false;
};

ReplyRulesParser::ReplyRulesParser(const QString& section, int firstLine) : firstLine_(firstLine) {
    splitLines(section);
    readForm();
    readQueryNames();
    for (const Line& l : lines_)
        readLine(l);
    checkComplete();
}

void ReplyRulesParser::splitLines(const QString& section) {
    const QStringList rawLines = section.split(QLatin1Char('\n'));
    for (int i = 0; i < rawLines.size(); ++i) {
        const QString trimmed = rawLines[i].trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        const int number = firstLine_ + i;
        if (equals <= 0) {
            faults_ << makeError(QStringLiteral("expected KEY = VALUE, found \"%1\"").arg(trimmed),
                                 number);
            continue;
        }
        lines_ << Line{number, trimmed.left(equals).simplified().split(QLatin1Char(' ')),
                       trimmed.mid(equals + 1).trimmed()};
    }
    lastLine_ = firstLine_ + int(rawLines.size()) - 1;
}

void ReplyRulesParser::readForm() {
    for (const Line& l : lines_)
        if (l.key.size() == 1 && l.key[0].toLower() == QLatin1String("form")) {
            if (l.value.toLower() == QLatin1String("binary"))
                rules_.form = ReplyForm::Binary;
            else if (l.value.toLower() != QLatin1String("text"))
                fault(l.number, QStringLiteral("form is text or binary, not \"%1\"").arg(l.value));
        }
    text_ = rules_.form == ReplyForm::Text;
    notation_ = text_ ? Notation::Text : Notation::Hex;
}

void ReplyRulesParser::readQueryNames() {
    for (const Line& l : lines_)
        if (l.key.size() == 2 && l.key[0].toLower() == QLatin1String("query"))
            queryNames_ << l.key[1].toLower();
}

QByteArray ReplyRulesParser::bytes(const Line& l, const QString& key, Notation n) {
    const auto parsed = replyBytes(l.value, n);
    if (!parsed) {
        fault(l.number, QStringLiteral("%1: %2").arg(key, parsed.error().message));
        return {};
    }
    return parsed.value();
}

void ReplyRulesParser::readLine(const Line& l) {
    const QString key = l.key[0].toLower();
    if (l.key.size() == 1 && key == QLatin1String("form"))
        return;
    if (l.key.size() == 1 && (key == QLatin1String("end") || key == QLatin1String("prompt") ||
                              key == QLatin1String("prefix") || key == QLatin1String("suffix") ||
                              key == QLatin1String("echo"))) {
        readTextFraming(l, key);
    } else if (l.key.size() == 1 && key == QLatin1String("start")) {
        (text_ ? rules_.start : rules_.startBytes) = bytes(l, key, notation_);
    } else if (l.key.size() == 1 &&
               (key == QLatin1String("length") || key == QLatin1String("checksum"))) {
        readBinaryFraming(l, key);
    } else if (key == QLatin1String("timeout") && l.key.size() <= 2) {
        readTimeout(l);
    } else if (l.key.size() == 1 &&
               (key == QLatin1String("silent") || key == QLatin1String("late"))) {
        (key == QLatin1String("silent") ? rules_.silent : rules_.late) +=
            l.value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    } else if (key == QLatin1String("query") && l.key.size() == 2) {
        readQuery(l);
    } else if (l.key.size() == 1 && (kGenericKinds.contains(key) || queryNames_.contains(key))) {
        readRule(l, key);
    } else if (l.key.size() >= 2 && !kGenericKinds.contains(key) && key != QLatin1String("query") &&
               key != QLatin1String("timeout")) {
        readCode(l, key);
    } else {
        fault(l.number, QStringLiteral("unknown key \"%1\"").arg(l.key.join(QLatin1Char(' '))));
    }
}

void ReplyRulesParser::readTextFraming(const Line& l, const QString& key) {
    if (!text_) {
        fault(l.number, QStringLiteral("%1 is for text replies").arg(key));
    } else if (key == QLatin1String("echo")) {
        const QString how = l.value.toLower();
        rules_.echo = how == QLatin1String("answer")   ? EchoHandling::Answer
                      : how == QLatin1String("always") ? EchoHandling::Always
                                                       : EchoHandling::Loopback;
        if (how != QLatin1String("answer") && how != QLatin1String("always"))
            fault(l.number, QStringLiteral("echo is answer or always"));
    } else {
        QByteArray& target = key == QLatin1String("end")      ? rules_.ends
                             : key == QLatin1String("prompt") ? rules_.prompt
                             : key == QLatin1String("prefix") ? rules_.prefix
                                                              : rules_.suffix;
        target = bytes(l, key, Notation::Text);
        hasEnd_ = hasEnd_ || (key == QLatin1String("end") && !target.isEmpty());
    }
}

void ReplyRulesParser::readBinaryFraming(const Line& l, const QString& key) {
    if (text_) {
        fault(l.number, QStringLiteral("%1 is for binary replies").arg(key));
    } else if (key == QLatin1String("length")) {
        const auto length = parseLength(l.value.toLower());
        hasLength_ = length.ok();
        length ? void(rules_.length = length.value()) : fault(l.number, length.error().message);
    } else {
        const auto checksum = parseChecksum(l.value.toLower());
        checksum ? void(rules_.checksum = checksum.value())
                 : fault(l.number, checksum.error().message);
    }
}

void ReplyRulesParser::readTimeout(const Line& l) {
    bool ok = false;
    const int ms = l.value.toInt(&ok);
    if (!ok || ms < 1)
        fault(l.number, QStringLiteral("a time-out is whole milliseconds above 0"));
    else if (l.key.size() == 1)
        rules_.timeoutMs = ms;
    else
        rules_.timeouts.insert(l.key[1].toLower(), ms);
}

void ReplyRulesParser::readQuery(const Line& l) {
    const QByteArray q = bytes(l, l.key[0].toLower(), notation_);
    if (!q.isEmpty())
        rules_.queries << ReplyQuery{l.key[1].toLower(), q};
    else if (faults_.isEmpty() || faults_.last().line != l.number)
        fault(l.number, QStringLiteral("query %1 has no bytes").arg(l.key[1]));
}

void ReplyRulesParser::readRule(const Line& l, const QString& key) {
    const qsizetype arrow = l.value.indexOf(QStringLiteral("->"));
    ReplyRule rule{key, {}, arrow < 0 ? QString() : l.value.mid(arrow + 2).trimmed(), l.number};
    const auto parts =
        parseTemplate(arrow < 0 ? l.value : l.value.left(arrow).trimmed(), rules_.form);
    if (!parts) {
        fault(l.number, QStringLiteral("%1: %2").arg(key, parts.error().message));
        return;
    }
    rule.parts = parts.value();
    for (const TemplatePart& p : rule.parts)
        if (p.kind == TemplatePart::Kind::Field)
            fieldNames_ << qMakePair(l.number, p.name.toLower());
    rules_.rules << rule;
}

void ReplyRulesParser::readCode(const Line& l, const QString& key) {
    CodeEntry entry;
    entry.text = l.value;
    bool ok = true;
    if (l.key.size() == 3 && l.key[1].toLower() == QLatin1String("bit")) {
        entry.bit = l.key[2].toInt(&ok);
        ok = ok && entry.bit >= 0 && entry.bit < 64 && !text_;
    } else if (l.key.size() == 2 && text_) {
        entry.value = l.key[1].toLatin1();
    } else if (l.key.size() == 2) {
        const QStringList vm = l.key[1].split(QLatin1Char('/'));
        const auto value = hexCode(vm.value(0));
        const auto mask = vm.size() == 2 ? hexCode(vm[1]) : std::optional<QByteArray>();
        ok = value && vm.size() <= 2 && (vm.size() == 1 || (mask && mask->size() == value->size()));
        if (ok) {
            entry.value = *value;
            entry.mask = mask.value_or(QByteArray());
        }
    } else {
        ok = false;
    }
    if (!ok)
        fault(l.number,
              QStringLiteral("\"%1\": a code is %2")
                  .arg(l.key.join(' '), text_ ? QStringLiteral("one word of text")
                                              : QStringLiteral("hex bytes, hex/mask or bit N")));
    else
        rules_.tables[key] << entry;
}

void ReplyRulesParser::checkComplete() {
    if (text_ && !hasEnd_)
        fault(firstLine_, QStringLiteral("text replies need \"end\": the bytes a reply ends with"));
    if (!text_ && !hasLength_)
        fault(firstLine_, QStringLiteral("binary replies need \"length\""));
    if (rules_.rules.isEmpty())
        fault(lastLine_, QStringLiteral("the replies name no reply (ack, refused, ...)"));
    for (auto it = rules_.tables.constBegin(); it != rules_.tables.constEnd(); ++it)
        if (std::none_of(fieldNames_.begin(), fieldNames_.end(),
                         [&](const auto& f) { return f.second == it.key(); }))
            for (const Line& l : lines_)
                if (l.key[0].toLower() == it.key()) {
                    fault(l.number, QStringLiteral("no reply has a field {%1}").arg(l.key[0]));
                    break;
                }
}

Result<ReplyRules> ReplyRulesParser::finish(QList<Error>* faultsOut) {
    std::stable_sort(faults_.begin(), faults_.end(),
                     [](const Error& a, const Error& b) { return a.line < b.line; });
    if (faultsOut)
        *faultsOut = faults_;
    if (!faults_.isEmpty())
        return faults_.front();
    return rules_;
}

} // namespace

Result<ReplyRules> parseReplyRules(const QString& section, int firstLine, QList<Error>* faultsOut) {
    return ReplyRulesParser(section, firstLine).finish(faultsOut);
}

} // namespace ondrel
