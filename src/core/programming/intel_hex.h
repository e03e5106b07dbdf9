#pragma once

#include "programming/loader_protocol.h"
#include "result.h"

#include <QString>
#include <vector>

namespace ondrel {

// The value of a text of hexadecimal digits, read from the right with weights 1, 16, 256, ...
// Letters are upper-cased; any character other than A to F counts its code minus that of "0",
// so only texts of hexadecimal digits give meaningful values (callers check the digits first).
qint64 HexToValue(const QString& text);

// Intel HEX record types the loader accepts.
enum HexRecordType {
    HexData = 0x00,
    HexEndOfFile = 0x01,
    HexSegmentAddress = 0x02,
    HexLinearAddress = 0x04
};

// Word addresses from 0x2000 up to (not including) 0x2100 cannot be written through the loader.
inline constexpr quint32 kReservedWordsBegin = 0x2000;
inline constexpr quint32 kReservedWordsEnd = 0x2100;

// What one firmware line asks for: nothing (empty line, end of file, zero-count record, an upper
// address of zero), or one block of data at a word address with each byte pair exchanged (the
// file holds the low byte of a word first, the panel takes the high byte first).
struct HexLine {
    bool sendsData = false;
    DataBlock block;
    bool endOfFile = false; // the end-of-file record
};

// Checks one line of firmware text (without its CR LF) and decodes it. `lineNumber` (from 1)
// goes into the error. Refused: bad syntax or checksum, a record type other than data and end of
// file (an upper address of zero excepted), an odd byte address or count (the panel takes whole
// words), data touching the reserved words ("Invalid address range").
Result<HexLine> parseHexLine(const QString& line, int lineNumber);

// Checks the whole firmware text before anything is sent, and returns the blocks to send, one per
// data line, in file order. Lines end with CR LF or LF alone (gpasm writes LF): each record
// carries its own length and checksum, so the line end changes nothing that is sent. Refused
// besides bad lines: anything but blank lines after the end-of-file record (two files joined),
// and data without an end-of-file record (a file cut short at a line end). A text with nothing to
// send is accepted.
Result<std::vector<DataBlock>> parseFirmwareText(const QString& text);

// The text of a firmware file, read as Latin-1. A regular file of at most kMaxFirmwareFileBytes;
// the error names the file.
Result<QString> readFirmwareFile(const QString& path);

// One Intel HEX record line, checksum included, without line end: ":LLAAAATT...CC".
QString makeHexRecord(quint8 type, quint16 address, const QByteArray& data);

} // namespace ondrel
