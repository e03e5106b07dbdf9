#include "tools/byte_presentation.h"

#include "project/byte_text.h"
#include "project/text_codec.h"

namespace ondrel {

QString presentReceived(const QByteArray& bytes, Notation form) {
    QString text;
    for (char c : bytes) {
        const auto b = static_cast<quint8>(c);
        text += QLatin1Char(' ');
        if (form == Notation::Text)
            text += b == 13 ? QStringLiteral(" <CR>") : singleByteChar(b);
        else
            text += byteNumber(b, form, HexWidth::Plain);
    }
    return text;
}

QString presentSent(const QByteArray& bytes, Notation form) {
    QString text;
    for (char c : bytes) {
        const auto b = static_cast<quint8>(c);
        if (form == Notation::Text)
            text += b == 13 ? QStringLiteral("<CR>") : QLatin1Char(' ') + singleByteChar(b);
        else
            text += QLatin1Char(' ') + byteNumber(b, form, HexWidth::Plain, QLatin1String("H"));
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
