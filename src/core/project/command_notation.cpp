#include "project/command_notation.h"

#include "edit_distance.h"
#include "project/byte_text.h"
#include "project/command_entry.h"
#include "project/text_codec.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace ondrel {

namespace {

// Names of the control characters 0 to 31; 127 is DEL.
const char* const kControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                       "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                       "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                       "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
constexpr int kCarriageReturn = 13;

std::optional<int> controlCode(const QString& name) {
    const QString upper = name.toUpper();
    if (upper == QLatin1String("DEL"))
        return 127;
    for (int code = 0; code < 32; ++code)
        if (upper == QLatin1String(kControlNames[code]))
            return code;
    return std::nullopt;
}

struct Mnemonic {
    int code;
    int length; // characters from "<" to ">"
};

// A word of two to four letters in angle brackets at `pos` that is no control name ("<CRR>"):
// its length in characters and the nearest control name, by edit distance.
std::optional<std::pair<int, QString>> lookalikeAt(const QString& text, qsizetype pos) {
    if (text[pos] != QLatin1Char('<'))
        return std::nullopt;
    const qsizetype close = text.indexOf(QLatin1Char('>'), pos + 1);
    if (close < 0 || close - pos - 1 < 2 || close - pos - 1 > 4)
        return std::nullopt;
    const QString word = text.mid(pos + 1, close - pos - 1).toUpper();
    for (QChar c : word)
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            return std::nullopt;
    QString nearest;
    int best = 0;
    for (int code = 0; code <= 32; ++code) {
        const QByteArray name = code < 32 ? QByteArray(kControlNames[code]) : QByteArray("DEL");
        const int d = editDistance(word.toLatin1(), name);
        if (nearest.isEmpty() || d < best) {
            nearest = QLatin1Char('<') + QLatin1String(name) + QLatin1Char('>');
            best = d;
        }
    }
    return std::pair{int(close - pos + 1), nearest};
}

// A control name in angle brackets at `pos` ("<CR>", "<stx>"), if there is one.
std::optional<Mnemonic> mnemonicAt(const QString& text, qsizetype pos) {
    if (pos >= text.size() || text[pos] != QLatin1Char('<'))
        return std::nullopt;
    const qsizetype close = text.indexOf(QLatin1Char('>'), pos + 1);
    if (close < 0 || close - pos - 1 < 2 || close - pos - 1 > 3)
        return std::nullopt;
    if (const auto code = controlCode(text.mid(pos + 1, close - pos - 1)))
        return Mnemonic{*code, int(close - pos + 1)};
    return std::nullopt;
}

bool isHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

// The Windows-1252 byte of one character; characters the code page lacks have none (never '?').
std::optional<quint8> singleByte(QChar c) {
    const QByteArray code = toWindows1252(QString(c));
    if (code.size() != 1 || (code.at(0) == '?' && c != QLatin1Char('?')))
        return std::nullopt;
    return static_cast<quint8>(code.at(0));
}

// Words that manuals print where the installer has to fill in a value: XX, VV WW, nn, ??, CKS.
enum class Placeholder { None, Value, Checksum };
Placeholder placeholderKind(const QString& word) {
    static const QStringList checksums = {QStringLiteral("CKS"),    QStringLiteral("CS"),
                                          QStringLiteral("SUM"),    QStringLiteral("CHK"),
                                          QStringLiteral("CHKSUM"), QStringLiteral("CRC")};
    if (checksums.contains(word, Qt::CaseInsensitive))
        return Placeholder::Checksum;
    if (word.size() < 2 || word.size() > 4)
        return Placeholder::None;
    for (QChar c : word)
        if (c != word.front())
            return Placeholder::None;
    const QChar c = word.front();
    if (c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('*') ||
        (c.isLetter() && !isHexDigit(c)))
        return Placeholder::Value;
    return Placeholder::None;
}

QString placeholderReason(Placeholder kind) {
    return kind == Placeholder::Checksum
               ? QStringLiteral("stands for a checksum in the manual; work it out and type the "
                                "byte value")
               : QStringLiteral("stands for a value in the manual; type the value itself");
}

class Parser {
public:
    explicit Parser(const QString& text) : text_(text) {}

    ParsedCommand run(Notation notation) {
        switch (notation) {
        case Notation::Text:
            text();
            break;
        case Notation::Hex:
            hex();
            break;
        case Notation::Decimal:
            decimal();
            break;
        }
        return {bytes_, fault_, warnings_};
    }

private:
    bool fail(qsizetype pos, qsizetype length, QString reason) {
        if (!fault_) {
            length = std::max<qsizetype>(1, std::min(length, text_.size() - pos));
            fault_ =
                NotationFault{int(pos) + 1, int(length), text_.mid(pos, length), std::move(reason)};
        }
        return false;
    }

    bool add(int byte, qsizetype pos, qsizetype length) {
        if (bytes_.size() >= kMaxCommandBytes)
            return fail(pos, length,
                        QStringLiteral("is one byte too many; a command string holds at most %1 "
                                       "bytes")
                            .arg(kMaxCommandBytes));
        bytes_.append(static_cast<char>(byte));
        return true;
    }

    // A character sent as itself, or a fault when it has no single byte.
    bool addCharacter(qsizetype pos) {
        qsizetype length = 1;
        if (text_[pos].isHighSurrogate() && pos + 1 < text_.size())
            length = 2;
        const std::optional<quint8> b = length == 1 ? singleByte(text_[pos]) : std::nullopt;
        if (!b)
            return fail(pos, length,
                        QStringLiteral("has no single-byte code (Windows-1252); write it as "
                                       "\\xHH"));
        return add(*b, pos, length);
    }

    void text() {
        const qsizetype n = text_.size();
        qsizetype literalBlank = -1; // where the last byte came from a typed blank
        for (qsizetype i = 0; i < n;) {
            const QChar c = text_[i];
            // Pasted over two lines, or a tab from a table: almost never meant as bytes.
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                fail(i, 1,
                     QStringLiteral("is a line break; in text write it as \\r or \\n "
                                    "(<CR>, <LF>)"));
                return;
            }
            if (c == QLatin1Char('\t')) {
                fail(i, 1, QStringLiteral("is a tab; in text write it as \\t (<HT>)"));
                return;
            }
            if (c == QLatin1Char('\\') && i + 1 < n) {
                const char16_t e = text_[i + 1].unicode();
                const int simple = e == 'r'    ? 13
                                   : e == 'n'  ? 10
                                   : e == 't'  ? 9
                                   : e == '0'  ? 0
                                   : e == '\\' ? '\\'
                                               : -1;
                if (simple >= 0) {
                    if (!add(simple, i, 2))
                        return;
                    i += 2;
                    continue;
                }
                if (e == 'x' || e == 'X') {
                    if (i + 3 >= n || !isHexDigit(text_[i + 2]) || !isHexDigit(text_[i + 3])) {
                        fail(i, 4,
                             QStringLiteral("needs exactly two hexadecimal digits after \\x"));
                        return;
                    }
                    if (!add(text_.mid(i + 2, 2).toInt(nullptr, 16), i, 4))
                        return;
                    i += 4;
                    continue;
                }
                // Any other backslash is the character itself.
            }
            if (const auto m = mnemonicAt(text_, i)) {
                // The tool shows byte 13 as " <CR> ": those two blanks belong to it.
                const qsizetype after = i + m->length;
                if (m->code == kCarriageReturn && literalBlank == i - 1 && literalBlank >= 0 &&
                    after < n && text_[after] == QLatin1Char(' ')) {
                    bytes_.chop(1);
                    if (!add(kCarriageReturn, i, m->length))
                        return;
                    i = after + 1;
                    literalBlank = -1;
                    continue;
                }
                if (!add(m->code, i, m->length))
                    return;
                i = after;
                continue;
            }
            if (const auto lookalike = lookalikeAt(text_, i)) {
                warnings_ << NotationFault{
                    int(i) + 1, lookalike->first, text_.mid(i, lookalike->first),
                    QStringLiteral("is no control name, so it is sent as %1 characters; did you "
                                   "mean %2?")
                        .arg(lookalike->first)
                        .arg(lookalike->second)};
            }
            if (!addCharacter(i))
                return;
            literalBlank = c == QLatin1Char(' ') ? i : -1;
            i += text_[i].isHighSurrogate() ? 2 : 1;
        }
    }

    // Blanks, tabs and line breaks (a frame copied over two lines of a manual), and commas.
    static bool isBlankOrComma(QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
               c == QLatin1Char('\r') || c == QLatin1Char(',');
    }

    static bool isHexSeparator(QChar c) {
        return isBlankOrComma(c) || c == QLatin1Char('.') || c == QLatin1Char(':') ||
               c == QLatin1Char('-');
    }

    // Where a hex token may end: a separator, a quote, the end, or the prefix of the next byte.
    bool hexTokenEnds(qsizetype pos) const {
        if (pos >= text_.size())
            return true;
        const QChar c = text_[pos];
        return isHexSeparator(c) || c == QLatin1Char('"') || c == QLatin1Char('$') ||
               c == QLatin1Char('\\');
    }

    void hex() {
        const qsizetype n = text_.size();
        for (qsizetype i = 0; i < n;) {
            const QChar c = text_[i];
            if (isHexSeparator(c)) {
                ++i;
                continue;
            }
            if (c == QLatin1Char('"')) {
                const qsizetype close = text_.indexOf(QLatin1Char('"'), i + 1);
                if (close < 0) {
                    fail(i, n - i, QStringLiteral("has no closing quote"));
                    return;
                }
                for (qsizetype k = i + 1; k < close; ++k)
                    if (!addCharacter(k))
                        return;
                i = close + 1;
                continue;
            }
            // The word: up to the next separator or quote, for messages.
            qsizetype wordEnd = i + 1;
            while (wordEnd < n && !isHexSeparator(text_[wordEnd]) &&
                   text_[wordEnd] != QLatin1Char('"'))
                ++wordEnd;
            qsizetype start = i;
            bool prefixed = true;
            const QString two = text_.mid(i, 2).toLower();
            if (two == QLatin1String("0x") || two == QLatin1String("\\x"))
                start += 2;
            else if (c == QLatin1Char('$'))
                start += 1;
            else
                prefixed = false;
            qsizetype end = start;
            while (end < n && isHexDigit(text_[end]))
                ++end;
            qsizetype tokenEnd = end;
            if (!prefixed && end > start && end < n &&
                (text_[end] == QLatin1Char('h') || text_[end] == QLatin1Char('H')))
                ++tokenEnd;
            if (end == start || !hexTokenEnds(tokenEnd)) {
                const QString word = text_.mid(start, wordEnd - start);
                const qsizetype bad = end == start ? start : tokenEnd;
                if (const Placeholder kind = placeholderKind(word); kind != Placeholder::None)
                    fail(i, wordEnd - i, placeholderReason(kind));
                else if (bad < n && !hexTokenEnds(bad))
                    fail(i, wordEnd - i,
                         QStringLiteral("holds \"%1\", which is not a hexadecimal digit%2")
                             .arg(text_[bad])
                             .arg(!prefixed && word.size() > 2
                                      ? QStringLiteral(" (put text in double quotes)")
                                      : QString()));
                else
                    fail(i, wordEnd - i, QStringLiteral("has no hexadecimal digits after it"));
                return;
            }
            if ((end - start) % 2 != 0) {
                fail(i, tokenEnd - i,
                     QStringLiteral("has an odd number of hexadecimal digits; write every byte "
                                    "as two digits (0D, not D)"));
                return;
            }
            for (qsizetype k = start; k < end; k += 2)
                if (!add(text_.mid(k, 2).toInt(nullptr, 16), i, tokenEnd - i))
                    return;
            i = tokenEnd;
        }
    }

    void decimal() {
        const qsizetype n = text_.size();
        for (qsizetype i = 0; i < n;) {
            if (isBlankOrComma(text_[i])) {
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < n && !isBlankOrComma(text_[end]))
                ++end;
            const QString word = text_.mid(i, end - i);
            bool digits = true;
            for (QChar d : word)
                digits = digits && d >= QLatin1Char('0') && d <= QLatin1Char('9');
            if (!digits) {
                const Placeholder kind = placeholderKind(word);
                fail(i, end - i,
                     kind != Placeholder::None
                         ? placeholderReason(kind)
                         : QStringLiteral("is not a whole number from 0 to 255"));
                return;
            }
            const int value = word.size() > 3 ? 256 : word.toInt();
            if (value > 255) {
                fail(i, end - i, QStringLiteral("is more than 255, the largest byte value"));
                return;
            }
            if (!add(value, i, end - i))
                return;
            i = end;
        }
    }

    const QString& text_;
    QByteArray bytes_;
    std::optional<NotationFault> fault_;
    QList<NotationFault> warnings_;
};

// Whether the text form of `bytes` from `pos` on would read as a control name.
bool spellsMnemonic(const QByteArray& bytes, qsizetype pos) {
    return mnemonicAt(QString::fromLatin1(bytes.mid(pos, 5)), 0).has_value();
}

QString formatText(const QByteArray& bytes) {
    QString text;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const int b = static_cast<quint8>(bytes[i]);
        if (b == kCarriageReturn) {
            // Between two blanks "<CR>" would swallow them; "\r" does not.
            const bool blanks = i > 0 && bytes[i - 1] == ' ' && i + 1 < n && bytes[i + 1] == ' ';
            text += blanks ? QStringLiteral("\\r") : QStringLiteral("<CR>");
        } else if (b < 32) {
            text += controlMnemonic(b);
        } else if (b == 127) {
            text += controlMnemonic(b);
        } else if (b == '\\') {
            text += QStringLiteral("\\\\");
        } else if (b == '<' && spellsMnemonic(bytes, i)) {
            text += QStringLiteral("\\x3C");
        } else {
            const QString c = singleByteChar(b);
            const QChar ch = c.front();
            if (b < 128 || (ch.isPrint() && !ch.isSpace() && ch != QChar(0xAD)))
                text += c;
            else
                text += QStringLiteral("\\x") + byteHex(quint8(b), HexWidth::Plain);
        }
    }
    return text;
}

} // namespace

QString NotationFault::message() const {
    QString shown = token;
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return QStringLiteral("column %1: \"%2\" %3").arg(column).arg(shown, reason);
}

bool looksLikeHex(const QString& text) {
    if (text.contains(QLatin1Char('"')) ||
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    const ParsedCommand hex = parseCommandNotation(text, Notation::Hex);
    if (!hex.ok() || hex.bytes.size() < 2)
        return false;
    // Written as bytes: separated, or each with a prefix or suffix.
    static const QRegularExpression written(QStringLiteral("[\\s,.:-]|0x|\\$|\\\\x|[0-9a-f]h\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return text.contains(written) && parseCommandNotation(text, Notation::Text).bytes != hex.bytes;
}

ParsedCommand parseCommandNotation(const QString& text, Notation notation) {
    return Parser(text).run(notation);
}

QString formatCommandNotation(const QByteArray& bytes, Notation notation) {
    switch (notation) {
    case Notation::Text:
        return formatText(bytes);
    case Notation::Hex:
        return hexText(bytes);
    case Notation::Decimal:
        break;
    }
    return decimalText(bytes);
}

QString controlMnemonic(int byte) {
    if (byte >= 0 && byte < 32)
        return QLatin1Char('<') + QLatin1String(kControlNames[byte]) + QLatin1Char('>');
    return byte == 127 ? QStringLiteral("<DEL>") : QString();
}

QString notationName(Notation notation) {
    switch (notation) {
    case Notation::Text:
        return QStringLiteral("text");
    case Notation::Hex:
        return QStringLiteral("hex");
    case Notation::Decimal:
        break;
    }
    return QStringLiteral("decimal");
}

std::optional<Notation> notationFromName(const QString& name) {
    for (Notation n : {Notation::Text, Notation::Hex, Notation::Decimal})
        if (name.compare(notationName(n), Qt::CaseInsensitive) == 0)
            return n;
    return std::nullopt;
}

} // namespace ondrel
