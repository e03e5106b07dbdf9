#include "project/byte_list.h"

#include "project/text_codec.h"

namespace ondrel {

ByteList::ByteList(std::initializer_list<int> bytes) : slots_(bytes.size() + 1) {
    int i = 0;
    for (int b : bytes)
        slots_[static_cast<size_t>(i++)] = Value(b);
}

ByteList ByteList::fromBytes(const QByteArray& bytes) {
    ByteList list = withUpperBound(static_cast<int>(bytes.size()));
    for (int i = 0; i < bytes.size(); ++i)
        list.slots_[static_cast<size_t>(i)] =
            Value(static_cast<int>(static_cast<quint8>(bytes[i])));
    return list;
}

ByteList ByteList::withUpperBound(int upperBound) {
    ByteList list;
    list.resize(upperBound);
    return list;
}

void ByteList::resize(int upperBound) {
    slots_.resize(static_cast<size_t>(std::max(0, upperBound)) + 1);
}

std::optional<quint8> ByteList::byteAt(int index) const {
    const Value& v = slot(index);
    if (v.isEmpty())
        return quint8(0);
    const auto n = v.toInteger();
    if (!n || *n < 0 || *n > 255)
        return std::nullopt;
    return static_cast<quint8>(*n);
}

std::optional<QByteArray> ByteList::toBytes() const {
    QByteArray out;
    out.reserve(upperBound());
    for (int i = 0; i < upperBound(); ++i) {
        const auto b = byteAt(i);
        if (!b)
            return std::nullopt;
        out.append(static_cast<char>(*b));
    }
    return out;
}

QString ByteList::textForm(const Value& format) const {
    qint64 f = 0;
    if (!format.isEmpty()) {
        const auto n = format.toInteger();
        if (!n)
            return {};
        f = *n;
    }
    if (f < 0 || f > 2)
        return {};
    QString text;
    for (int i = 0; i < upperBound(); ++i) {
        const Value& v = slot(i);
        if (v.isEmpty())
            continue;
        if (f == 0) {
            text += QLatin1Char(' ') + v.toText().trimmed();
            continue;
        }
        const auto n = v.toInteger();
        if (!n) // a slot that is no number has no character and no hexadecimal form
            continue;
        if (f == 1) {
            text += *n == 13 ? QStringLiteral(" <CR> ") : singleByteChar(*n);
        } else {
            text += QLatin1Char(' ');
            if (*n >= 0 && *n < 16)
                text += QLatin1Char('0');
            text += QString::number(*n, 16).toUpper() + QLatin1Char('H');
        }
    }
    return text;
}

} // namespace ondrel
