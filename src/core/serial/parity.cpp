#include "serial/parity.h"

namespace ondrel {

const QStringList& parityNames() {
    static const QStringList names = {QStringLiteral("NONE"), QStringLiteral("EVEN"),
                                      QStringLiteral("ODD")};
    return names;
}

QString parityName(Parity parity) {
    return parityNames().at(static_cast<int>(parity));
}

std::optional<Parity> parityFromName(const QString& name) {
    const qsizetype index = parityNames().indexOf(name);
    if (index < 0)
        return std::nullopt;
    return static_cast<Parity>(index);
}

Parity parityOrNone(const QString& name) {
    return parityFromName(name).value_or(Parity::None);
}

char parityLetter(Parity parity) {
    return "NEO"[static_cast<int>(parity)];
}

std::optional<Parity> parityFromLetter(QChar letter) {
    for (Parity parity : {Parity::None, Parity::Even, Parity::Odd})
        if (letter.toUpper() == QLatin1Char(parityLetter(parity)))
            return parity;
    return std::nullopt;
}

} // namespace ondrel
