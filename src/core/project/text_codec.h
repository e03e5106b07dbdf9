#pragma once

#include <QByteArray>
#include <QString>

namespace ondrel {

// The single-byte code page of configuration files and of the ASCII form: Windows-1252.
QString fromWindows1252(const QByteArray& bytes);
// Characters without a Windows-1252 byte become '?'.
QByteArray toWindows1252(const QString& text);
// The character of one byte value; values outside 0 to 255 give the Unicode character of that code.
QString singleByteChar(qint64 code);

} // namespace ondrel
