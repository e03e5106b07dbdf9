#include "programming/intel_hex.h"

#include "files/input_file.h"
#include "project/byte_text.h"

#include <QStringList>

namespace ondrel {

namespace {

Error lineError(int lineNumber, const QString& what) {
    return makeError(QStringLiteral("Firmware line %1: %2").arg(lineNumber).arg(what), lineNumber);
}

bool isHexDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

} // namespace

qint64 HexToValue(const QString& text) {
    const QString upper = text.toUpper();
    qint64 value = 0;
    qint64 weight = 1;
    for (qsizetype i = upper.size() - 1; i >= 0; --i) {
        const QChar c = upper[i];
        const int digit = (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ? c.unicode() - 'A' + 10
                                                                           : c.unicode() - '0';
        value += digit * weight;
        weight *= 16;
    }
    return value;
}

Result<HexLine> parseHexLine(const QString& rawLine, int lineNumber) {
    const QString line = rawLine.trimmed();
    if (line.isEmpty())
        return HexLine{};
    if (line[0] != QLatin1Char(':'))
        return lineError(lineNumber, QStringLiteral("a record must start with \":\""));
    for (qsizetype i = 1; i < line.size(); ++i)
        if (!isHexDigit(line[i]))
            return lineError(lineNumber,
                             QStringLiteral("\"%1\" at character %2 is not a hexadecimal digit")
                                 .arg(excerpt(QString(line[i])))
                                 .arg(i + 1));
    if (line.size() < 11 || line.size() % 2 == 0)
        return lineError(lineNumber, QStringLiteral("the record is cut short or too long"));

    QByteArray bytes; // count, address high, address low, type, data..., checksum
    for (qsizetype i = 1; i < line.size(); i += 2)
        bytes.append(static_cast<char>(HexToValue(line.mid(i, 2))));
    const int count = static_cast<quint8>(bytes[0]);
    if (bytes.size() != count + 5)
        return lineError(lineNumber, QStringLiteral("the byte count %1 does not match the record's "
                                                    "length")
                                         .arg(count));
    const quint8 sum = blockChecksum(bytes);
    if (sum != 0) {
        const quint8 expected = static_cast<quint8>(static_cast<quint8>(bytes.back()) - sum);
        return lineError(lineNumber,
                         QStringLiteral("the checksum is %1, but the record's bytes "
                                        "give %2")
                             .arg(byteHex(static_cast<quint8>(bytes.back())), byteHex(expected)));
    }
    const quint32 byteAddress =
        (static_cast<quint32>(static_cast<quint8>(bytes[1])) << 8) | static_cast<quint8>(bytes[2]);
    const int type = static_cast<quint8>(bytes[3]);
    const QByteArray data = bytes.mid(4, count);

    switch (type) {
    case HexData:
        break;
    case HexEndOfFile:
        if (count != 0)
            return lineError(lineNumber, QStringLiteral("the end-of-file record carries data"));
        return HexLine{false, {}, true};
    case HexSegmentAddress:
    case HexLinearAddress:
        // Panel memory lies below 64 KB: only an upper address of zero keeps it there.
        if (count == 2 && data[0] == 0 && data[1] == 0)
            return HexLine{};
        return lineError(
            lineNumber, QStringLiteral("the record sets an upper address the panel does not have"));
    default:
        return lineError(
            lineNumber,
            QStringLiteral("record type %1 is not supported").arg(type, 2, 16, QLatin1Char('0')));
    }

    if (count == 0)
        return HexLine{};
    if (count % 2 != 0 || byteAddress % 2 != 0)
        return lineError(lineNumber,
                         QStringLiteral("the data does not cover whole words (odd address "
                                        "or byte count)"));
    const quint32 wordAddress = byteAddress / 2;
    const quint32 wordEnd = wordAddress + static_cast<quint32>(count / 2);
    if (wordAddress < kReservedWordsEnd && wordEnd > kReservedWordsBegin) {
        Error reserved = lineError(lineNumber, QStringLiteral("Invalid address range"));
        reserved.kind = ErrorKind::InvalidAddressRange;
        return reserved;
    }

    HexLine result;
    result.sendsData = true;
    result.block.wordAddress = wordAddress;
    result.block.bytes.resize(count);
    for (int k = 0; k < count / 2; ++k) {
        result.block.bytes[2 * k] = data[2 * k + 1];
        result.block.bytes[2 * k + 1] = data[2 * k];
    }
    return result;
}

Result<std::vector<DataBlock>> parseFirmwareText(const QString& text) {
    // Records end at LF; a CR before it goes with the blanks trimmed from every line.
    const QStringList lines = text.split(QLatin1Char('\n'));
    std::vector<DataBlock> blocks;
    int endOfFile = 0; // line of the end-of-file record
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i + 1);
        if (endOfFile != 0) {
            if (lines[i].trimmed().isEmpty())
                continue;
            return lineError(lineNumber,
                             QStringLiteral("there is more after the end-of-file record of "
                                            "line %1 (two files joined?)")
                                 .arg(endOfFile));
        }
        Result<HexLine> line = parseHexLine(lines[i], lineNumber);
        if (!line)
            return line.error();
        if (line.value().endOfFile)
            endOfFile = lineNumber;
        if (line.value().sendsData)
            blocks.push_back(std::move(line.value().block));
    }
    if (!blocks.empty() && endOfFile == 0)
        return lineError(static_cast<int>(lines.size()),
                         QStringLiteral("the file ends without its end-of-file record "
                                        "(:00000001FF); it may be cut short"));
    return blocks;
}

Result<QString> readFirmwareFile(const QString& path) {
    const Result<QByteArray> bytes =
        readInputFile(path, kMaxFirmwareFileBytes, QStringLiteral("a firmware file"));
    if (!bytes)
        return makeError(QStringLiteral("Cannot read the firmware file %1: %2")
                             .arg(path, bytes.error().message));
    return QString::fromLatin1(bytes.value());
}

QString makeHexRecord(quint8 type, quint16 address, const QByteArray& data) {
    QByteArray bytes;
    bytes.append(static_cast<char>(data.size()));
    bytes.append(static_cast<char>(address >> 8));
    bytes.append(static_cast<char>(address & 0xFF));
    bytes.append(static_cast<char>(type));
    bytes.append(data);
    bytes.append(static_cast<char>(-blockChecksum(bytes)));
    return QLatin1Char(':') + hexText(bytes, '\0');
}

} // namespace ondrel
