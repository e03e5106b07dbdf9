#include "project/byte_text.h"

#include "project/command_notation.h"

#include <QStringList>

namespace ondrel {

QString byteHex(quint8 byte, HexWidth width) {
    const QString digits = QString::number(byte, 16).toUpper();
    return width == HexWidth::Two ? digits.rightJustified(2, QLatin1Char('0')) : digits;
}

QString byteNumber(quint8 byte, Notation notation, HexWidth width, QLatin1String hexSuffix) {
    if (notation == Notation::Hex)
        return byteHex(byte, width) + hexSuffix;
    return QString::number(byte);
}

QString hexText(const QByteArray& bytes, char separator) {
    return QString::fromLatin1(bytes.toHex(separator).toUpper());
}

QString hexLines(const QByteArray& bytes, int perLine) {
    QString text;
    for (qsizetype i = 0; i < bytes.size(); i += perLine)
        text += hexText(bytes.mid(i, perLine)) + QLatin1Char('\n');
    return text;
}

QString decimalText(const QByteArray& bytes) {
    QStringList parts;
    for (char c : bytes)
        parts << QString::number(static_cast<quint8>(c));
    return parts.join(QLatin1Char(' '));
}

QString mnemonicText(const QByteArray& bytes) {
    QString text;
    for (char c : bytes) {
        const auto b = quint8(c);
        if (b < 32 || b == 127)
            text += controlMnemonic(b);
        else if (b > 127)
            text += QLatin1Char('<') + byteHex(b) + QLatin1Char('>');
        else
            text += QLatin1Char(c);
    }
    return text;
}

QString hexMnemonicText(const QByteArray& bytes) {
    return QStringLiteral("%1 |%2|").arg(hexText(bytes), mnemonicText(bytes));
}

QString printableText(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes)
        if (c >= 0x20 && c < 0x7F)
            text += QLatin1Char(c);
        else if (c == '\n' || c == '\r')
            text += QLatin1Char(' ');
    return text.simplified();
}

} // namespace ondrel
