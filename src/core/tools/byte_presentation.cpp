#include "tools/byte_presentation.h"

#include "project/text_codec.h"

namespace ondrel {
namespace {
QString hex(quint8 b) {
    return QString::number(b, 16).toUpper();
}
} // namespace

QString presentReceived(const QByteArray& bytes, Notation form) {
    QString text;
    for (char c : bytes) {
        const auto b = static_cast<quint8>(c);
        text += QLatin1Char(' ');
        switch (form) {
        case Notation::Text:
            text += b == 13 ? QStringLiteral(" <CR>") : singleByteChar(b);
            break;
        case Notation::Hex:
            text += hex(b);
            break;
        case Notation::Decimal:
            text += QString::number(b);
            break;
        }
    }
    return text;
}

QString presentSent(const QByteArray& bytes, Notation form) {
    QString text;
    for (char c : bytes) {
        const auto b = static_cast<quint8>(c);
        switch (form) {
        case Notation::Text:
            text += b == 13 ? QStringLiteral("<CR>") : QLatin1Char(' ') + singleByteChar(b);
            break;
        case Notation::Hex:
            text += QLatin1Char(' ') + hex(b) + QLatin1Char('H');
            break;
        case Notation::Decimal:
            text += QLatin1Char(' ') + QString::number(b);
            break;
        }
    }
    return text;
}

Result<QByteArray> bytesToSend(const ByteList& list) {
    if (auto bytes = list.toBytes())
        return *bytes;
    return makeError(QStringLiteral(
        "The command string holds a value that is not a byte (0 to 255); nothing was sent."));
}

} // namespace ondrel
