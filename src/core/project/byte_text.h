#pragma once

#include "project/notation.h"

#include <QByteArray>
#include <QString>

namespace ondrel {

// Bytes as text for people: every view of bytes in the tool is built from these, so that a byte
// reads the same in the monitor, the logs, the room sheet and the command line.

// One byte in upper-case hexadecimal: two digits ("0D"), or without a leading zero ("D").
enum class HexWidth { Two, Plain };
QString byteHex(quint8 byte, HexWidth width = HexWidth::Two);

// A byte's number as `notation` writes it: Hex as byteHex followed by `hexSuffix` ("0DH"),
// Decimal "13". Text has no number form and gives the Decimal one.
QString byteNumber(quint8 byte, Notation notation, HexWidth width = HexWidth::Two,
                   QLatin1String hexSuffix = {});

// "02 50 0D": two upper-case hexadecimal digits a byte, `separator` between them ('\0': none,
// "02500D").
QString hexText(const QByteArray& bytes, char separator = ' ');

// hexText in lines of `perLine` bytes, each line ending in '\n'.
QString hexLines(const QByteArray& bytes, int perLine);

// "2 80 13": the values with single blanks.
QString decimalText(const QByteArray& bytes);

// Printable characters as they are, control characters as mnemonics ("<STX>", "<CR>", "<DEL>")
// and bytes from 0x80 as their value ("<A9>"), so the text shows every byte unambiguously.
QString mnemonicText(const QByteArray& bytes);

// "02 50 0D |<STX>P<CR>|": hexText, then mnemonicText between bars.
QString hexMnemonicText(const QByteArray& bytes);

// Printable ASCII only: line ends become blanks, other bytes are left out, and runs of blanks
// read as one ("Port already in use").
QString printableText(const QByteArray& bytes);

} // namespace ondrel
