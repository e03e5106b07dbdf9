#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>

namespace ondrel {

// The factory setup file beside the program.
inline constexpr char kFactoryDataFileName[] = "default.dat";

// Reads the factory setup text: decimal numbers, each followed by a comma, the list closed by
// "#". Each number's low 8 bits land in a zero-filled 4097-byte buffer ('300,' gives 44, '-1,'
// gives 255). Text after the last comma and before "#" is dropped; text after "#" is never read.
// Blanks and line breaks around a number are allowed. Refused, naming the number and its line:
// more than 4097 numbers, a number that is not a whole number from -32768 to 32767, and a text
// without "#".
Result<QByteArray> parseFactoryData(const QByteArray& text);

// Reads and parses the file at `path`, a regular file of at most kMaxFactoryDataFileBytes; a
// missing or unreadable file gives a readable error.
Result<QByteArray> readFactoryDataFile(const QString& path);

// The factory setup text of `image`: its bytes as '0,1,...,#' on one line.
QByteArray formatFactoryData(const QByteArray& image);

} // namespace ondrel
