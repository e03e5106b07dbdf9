#include "programming/hex_generator.h"
#include "programming/intel_hex.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {
const QString kExampleLine = QStringLiteral(":100000000428FF3FFF3FFF3FFF3FFF3FFF3FFF3F12");
const QString crlf = QStringLiteral("\r\n");

DataBlock blockOf(const QString& line) {
    const auto parsed = parseHexLine(line, 1);
    EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? QString() : parsed.error().message).toStdString();
    EXPECT_TRUE(parsed.ok() && parsed.value().sendsData);
    return parsed.ok() ? parsed.value().block : DataBlock{};
}
} // namespace

TEST(IntelHex, DataLineIsSentWithEachBytePairExchanged) {
    const DataBlock block = blockOf(kExampleLine);
    EXPECT_EQ(block.wordAddress, 0u);
    ASSERT_EQ(block.bytes.size(), 16);
    EXPECT_EQ(block.bytes.left(4).toHex(' '), "28 04 3f ff");
    EXPECT_EQ(block.bytes.right(2).toHex(' '), "3f ff");
    EXPECT_EQ(makeHexRecord(HexData, 0, QByteArray::fromHex("0428FF3FFF3FFF3FFF3FFF3FFF3FFF3F")),
              kExampleLine);
    // Digits of either case, down to the ends of their ranges.
    EXPECT_EQ(blockOf(":02009000af09b6"), (DataBlock{0x48, QByteArray::fromHex("09af")}));
}

TEST(IntelHex, ReservedWordRange) {
    const QByteArray word = QByteArray::fromHex("FF3F");
    for (quint16 byteAddress : {0x4000, 0x400E, 0x41FE}) {
        const auto line = parseHexLine(makeHexRecord(HexData, byteAddress, word), 7);
        ASSERT_FALSE(line.ok()) << byteAddress;
        EXPECT_TRUE(line.error().message.contains("Invalid address range"));
        EXPECT_EQ(line.error().line, 7);
    }
    // A line that starts below the range but runs into it would write reserved words too.
    EXPECT_FALSE(parseHexLine(makeHexRecord(HexData, 0x3FFC, QByteArray(8, '\0')), 1).ok());
    EXPECT_EQ(blockOf(makeHexRecord(HexData, 0x4200, word)).wordAddress, 0x2100u);
    EXPECT_EQ(blockOf(makeHexRecord(HexData, 0x3FFC, QByteArray(4, '\0'))).wordAddress, 0x1FFEu);
    // Addresses from 0x8000 on are computed without overflow.
    EXPECT_EQ(blockOf(makeHexRecord(HexData, 0x8000, word)).wordAddress, 0x4000u);
    EXPECT_EQ(blockOf(makeHexRecord(HexData, 0xFFFE, word)).wordAddress, 0x7FFFu);
}

TEST(IntelHex, LinesThatSendNothing) {
    for (const QString& line : {QString(), QStringLiteral(":00000001FF"), QStringLiteral("  "),
                                QStringLiteral(":0000A00060"), QStringLiteral(":020000040000FA"),
                                QStringLiteral(":020000020000FC")}) {
        const auto parsed = parseHexLine(line, 1);
        ASSERT_TRUE(parsed.ok()) << line.toStdString();
        EXPECT_FALSE(parsed.value().sendsData) << line.toStdString();
    }
}

TEST(IntelHex, BadLinesAreRefusedNamingTheLine) {
    const QStringList bad = {
        QStringLiteral("100000000428FF3FFF3FFF3FFF3FFF3FFF3FFF3F12"),  // no colon
        QStringLiteral(":100000000428FF3FFF3FFF3FFF3FFF3FFF3FFF3F13"), // checksum
        QStringLiteral(":100000000428FF3FFF3FFF3FFF3FFF3FFF3FFF3F"),   // cut short
        QStringLiteral(":0200000004G8CA"),                             // not hex
        QStringLiteral(":020000040001F9"),                             // upper address 1
        QStringLiteral(":020000021000EC"),                             // segment 0x1000
        QStringLiteral(":0400000300000000F9"),                         // start address
        QStringLiteral(":0100000001FE"),                               // odd count
        QStringLiteral(":02000100FFFFFF"),                             // odd address
        QStringLiteral(":01000001FFFF"),                               // end of file with data
    };
    for (const QString& line : bad) {
        const auto parsed = parseHexLine(line, 12);
        ASSERT_FALSE(parsed.ok()) << line.toStdString();
        EXPECT_EQ(parsed.error().line, 12);
        EXPECT_TRUE(parsed.error().message.startsWith("Firmware line 12: "));
    }
}

TEST(IntelHex, WholeFileIsCheckedBeforeAnythingIsSent) {
    const QString good = makeHexRecord(HexData, 0x4200, QByteArray::fromHex("0102"));
    const auto ok =
        parseFirmwareText(kExampleLine + crlf + crlf + good + crlf + ":00000001FF" + crlf);
    ASSERT_TRUE(ok.ok());
    ASSERT_EQ(ok.value().size(), 2u);
    EXPECT_EQ(ok.value()[1], (DataBlock{0x2100, QByteArray::fromHex("0201")}));

    // The fault is on line 3, after a good line: nothing at all is returned to send.
    const auto bad =
        parseFirmwareText(kExampleLine + crlf + good + crlf + ":0200000040000FF3F" + crlf);
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().line, 3);
    const auto reserved =
        parseFirmwareText(kExampleLine + crlf + makeHexRecord(HexData, 0x4000, "ab") + crlf);
    ASSERT_FALSE(reserved.ok());
    EXPECT_EQ(reserved.error().message, "Firmware line 2: Invalid address range");
}

TEST(IntelHex, LineEndsAndTheEndOfFileRecord) {
    EXPECT_TRUE(parseFirmwareText("").ok());
    EXPECT_TRUE(parseFirmwareText(":00000001FF" + crlf + crlf).value().empty());
    // gpasm writes LF alone: the same records.
    EXPECT_EQ(parseFirmwareText(kExampleLine + "\n:00000001FF\n").value().size(), 1u);
    const std::pair<QString, const char*> refused[] = {
        {kExampleLine, "line 1: the file ends without its end-of-file record (:00000001FF); it "
                       "may be cut short"},
        {":00000001FF" + crlf + kExampleLine,
         "line 2: there is more after the end-of-file record of line 1 (two files joined?)"},
        {":100000000428FF3FFF3FFF3FFF3FFF3FFF3FFF3F13",
         "line 1: the checksum is 13, but the record's bytes give 12"},
        {QStringLiteral(":1000\x01"),
         "line 1: \"\\x01\" at character 6 is not a hexadecimal digit"},
    };
    for (const auto& [text, message] : refused)
        EXPECT_EQ(parseFirmwareText(text).error().message, QStringLiteral("Firmware ") + message);
    for (QChar c : QStringLiteral("/:`g@G"))
        EXPECT_EQ(parseFirmwareText(":00000001F" + QString(c)).error().message,
                  QStringLiteral("Firmware line 1: \"%1\" at character 11 is not a hexadecimal "
                                 "digit")
                      .arg(c));
}
