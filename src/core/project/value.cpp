#include "project/value.h"

#include <algorithm>

namespace ondrel {

bool Value::isEmpty() const {
    if (isUnset())
        return true;
    if (auto text = std::get_if<QString>(&data_))
        return text->isEmpty();
    return false;
}

std::optional<qint64> Value::toInteger() const {
    if (auto number = std::get_if<qint64>(&data_))
        return *number;
    if (auto text = std::get_if<QString>(&data_)) {
        bool ok = false;
        const qint64 n = text->trimmed().toLongLong(&ok, 10);
        if (ok)
            return n;
    }
    return std::nullopt;
}

std::optional<double> Value::toReal() const {
    if (auto number = std::get_if<qint64>(&data_))
        return static_cast<double>(*number);
    if (auto text = std::get_if<QString>(&data_)) {
        const QString t = text->trimmed();
        // Only plain decimal notation: no exponents, no "inf"/"nan" that toDouble would accept.
        static const auto allowed = QStringLiteral("0123456789+-.");
        if (t.isEmpty() ||
            !std::all_of(t.begin(), t.end(), [](QChar c) { return allowed.contains(c); }))
            return std::nullopt;
        bool ok = false;
        const double d = t.toDouble(&ok);
        if (ok)
            return d;
    }
    return std::nullopt;
}

QString Value::toText() const {
    if (auto number = std::get_if<qint64>(&data_))
        return QString::number(*number);
    if (auto text = std::get_if<QString>(&data_))
        return *text;
    return {};
}

bool operator==(const Value& a, const Value& b) {
    if (a.isUnset() || b.isUnset())
        return a.isUnset() && b.isUnset();
    const auto na = a.toInteger();
    const auto nb = b.toInteger();
    if (na && nb)
        return *na == *nb;
    return a.toText() == b.toText();
}

} // namespace ondrel
