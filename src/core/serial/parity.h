#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ondrel {

// The parity of a serial line. Files and the catalogue store it by name ("NONE", "EVEN", "ODD");
// line settings texts ("9600,N,8,1") by letter. Windows list the names in this order.
enum class Parity { None, Even, Odd };

// "NONE", "EVEN", "ODD": the names the files store, in the order of the enum.
const QStringList& parityNames();
QString parityName(Parity parity);
// The parity a stored name stands for, compared exactly (as the panel compares them); any other
// text stands for none of them.
std::optional<Parity> parityFromName(const QString& name);
// A stored name as a line is set up: "EVEN" even, "ODD" odd, anything else (empty, unknown) none.
Parity parityOrNone(const QString& name);

// 'N', 'E', 'O' and back (either case); other letters give nothing.
char parityLetter(Parity parity);
std::optional<Parity> parityFromLetter(QChar letter);

} // namespace ondrel
