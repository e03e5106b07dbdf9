#pragma once

#include "project/notation.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace ondrel {

// How a whole command string is written, as projector manuals and installers write them.
//  Text:    characters as themselves (Windows-1252), escapes \r \n \t \0 \\ \xHH and control
//           names <CR> <STX> ... <US> <DEL>; "%", "$" and "0x" are plain characters.
//           A line break or a tab typed into text is a fault: write \n, \t or <LF>, <HT>.
//  Hex:     BE EF 03, BEEF03, 0x02,0x50, $0D$0A, 7Eh 30h, \x02, 0AH FFH; "quoted text".
//  Decimal: whole numbers 0 to 255 separated by blanks or commas, as catalogue cells hold them.
//  In hex and decimal, line breaks and tabs separate bytes (a frame copied over two lines).

// Why a command text was refused: where (1-based column and length in characters) and why.
struct NotationFault {
    int column = 0;
    int length = 0;
    QString token;
    QString reason;
    // "column 7: "XX" stands for a value ...": what the installer reads, on one line (a line
    // break or tab in the token shows as \n or \t).
    QString message() const;
};

// The bytes of a command text, or the first fault in it (then the bytes are meaningless). Warnings
// mark what is kept but may not be meant: in text, a word in angle brackets that is no control
// name ("<CRR>" is sent as five characters; the reason names the nearest name, "<CR>").
struct ParsedCommand {
    QByteArray bytes;
    std::optional<NotationFault> fault;
    QList<NotationFault> warnings;
    bool ok() const { return !fault.has_value(); }
};

ParsedCommand parseCommandNotation(const QString& text, Notation notation);

// Whether text typed in the Text notation reads as a manual's hex (at least two bytes, written with
// separators or prefixes: "BE EF 03", "0x02,0x50"): pasted into the wrong notation, most likely.
bool looksLikeHex(const QString& text);

// Writes `bytes` so that parseCommandNotation with the same notation gives them back.
QString formatCommandNotation(const QByteArray& bytes, Notation notation);

// "text", "hex", "decimal" and back (case-insensitive); other names give nothing.
QString notationName(Notation notation);

// The mnemonic of a control character in angle brackets ("<STX>", "<CR>", "<DEL>"), as the tool
// writes them everywhere; empty for any other byte.
QString controlMnemonic(int byte);
std::optional<Notation> notationFromName(const QString& name);

} // namespace ondrel
