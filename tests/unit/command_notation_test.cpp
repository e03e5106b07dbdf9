#include "project/byte_list.h"
#include "project/command_notation.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {

constexpr auto T = Notation::Text, H = Notation::Hex, D = Notation::Decimal;

QByteArray bytesOf(const char* decimal) {
    QByteArray out;
    for (const QString& part : QString::fromLatin1(decimal).split(' ', Qt::SkipEmptyParts))
        out.append(char(part.toInt()));
    return out;
}

struct Case {
    Notation mode;
    const char* text; // UTF-8
    const char* bytes;
    int faultColumn; // 0: the text is good
};

const Case kCases[] = {
    {T, "PWR ON<CR>", "80 87 82 32 79 78 13", 0},
    {T, "\\x02PON\\x03", "2 80 79 78 3", 0},
    {T, "<STX>PON<ETX>", "2 80 79 78 3", 0},
    {T, "<stx>pon<Etx>", "2 112 111 110 3", 0},
    {T, "%1POWR 1<CR>", "37 49 80 79 87 82 32 49 13", 0}, // PJLink: "%" is a character
    {T, "%1POWR 1", "37 49 80 79 87 82 32 49", 0},
    {T, "$0D$0A", "36 48 68 36 48 65", 0},
    {T, "0x02", "48 120 48 50", 0},
    {T, "a\\r\\n\\t\\0\\\\", "97 13 10 9 0 92", 0},
    {T, "PWR ON <CR> ", "80 87 82 32 79 78 13", 0}, // the tool's ASCII form of CR
    {T, " <CR> ", "13", 0},                         // ... also at the very start
    {T, "<=><CRX><b>", "60 61 62 60 67 82 88 62 60 98 62", 0},
    {T, "\\q<DEL><US><nul>", "92 113 127 31 0", 0},
    {T, "\xe2\x82\xac\xc3\xa9", "128 233", 0}, // euro sign, e acute
    {T, "", "", 0},
    {T, "\\x4", "", 1},
    {T, "ab\\x0G", "", 3},
    {T, "A\xce\xa9", "", 2},           // omega has no single byte
    {T, "ok \xf0\x9f\x98\x80", "", 4}, // nor has an emoji
    {T, "PWR\r\nON", "", 4},           // a line break typed into text
    {T, "a\tb", "", 2},
    {H, "BE EF 03 19 00", "190 239 3 25 0", 0},
    {H, "BEEF031900", "190 239 3 25 0", 0},
    {H, "02.00.00.51", "2 0 0 81", 0},
    {H, "0x02,0x50", "2 80", 0},
    {H, "$0D$0A", "13 10", 0},
    {H, "7Eh 30h 0Dh", "126 48 13", 0},
    {H, " 0AH FFH", "10 255", 0}, // the tool's hexadecimal form
    {H, "\\x02\\x50", "2 80", 0},
    {H, "02 \"PWR ON\" 0D", "2 80 87 82 32 79 78 13", 0},
    {H, "be:ef-03\t0X0a", "190 239 3 10", 0},
    {H, "BE EF 03\r\n06 00", "190 239 3 6 0", 0}, // a frame copied over two lines
    {H, "BE EF 0", "", 7},
    {H, "BE XX 03", "", 4},
    {H, "VV WW", "", 1},
    {H, "02 G1", "", 4},
    {H, "02 \"PWR", "", 4},
    {H, "02 CKS", "", 4},
    {H, "$ 02", "", 1},
    {H, "PWR", "", 1},
    {H, "0x0Dh", "", 1},
    {D, "80 87 82 32 79 78 13", "80 87 82 32 79 78 13", 0},
    {D, "2,80,3", "2 80 3", 0},
    {D, "2\n80\t3", "2 80 3", 0},
    {D, " 2 80 3", "2 80 3", 0}, // the tool's decimal form
    {D, "0 255 007", "0 255 7", 0},
    {D, "  ", "", 0},
    {D, "2 256 3", "", 3},
    {D, "2 nn 3", "", 3},
    {D, "2 0x50", "", 3},
    {D, "2 -1", "", 3},
    {D, "99999999999999999999", "", 1},
};

} // namespace

TEST(CommandNotation, Table) {
    for (const Case& c : kCases) {
        const QString text = QString::fromUtf8(c.text);
        const ParsedCommand parsed = parseCommandNotation(text, c.mode);
        SCOPED_TRACE(c.text);
        if (c.faultColumn == 0) {
            ASSERT_TRUE(parsed.ok()) << qPrintable(parsed.fault->message());
            EXPECT_EQ(parsed.bytes, bytesOf(c.bytes));
        } else {
            ASSERT_FALSE(parsed.ok());
            EXPECT_EQ(parsed.fault->column, c.faultColumn);
            EXPECT_EQ(parsed.fault->token, text.mid(c.faultColumn - 1, parsed.fault->length));
            EXPECT_TRUE(parsed.fault->message().startsWith(
                QStringLiteral("column %1: \"").arg(c.faultColumn)));
        }
    }
    // Placeholders ask for the value instead of calling it a bad digit.
    EXPECT_TRUE(parseCommandNotation("BE XX", H).fault->reason.contains("type the value"));
    EXPECT_TRUE(parseCommandNotation("9 nn", D).fault->reason.contains("type the value"));
}

TEST(CommandNotation, EveryByteRoundTripsAndTheToolsFormsReadBack) {
    QByteArray all;
    for (int v = 0; v < 256; ++v)
        all.append(char(v));
    const QByteArray lists[] = {all.left(128), all.mid(128), bytesOf("32 13 32 13 13 60 67 82 62"),
                                bytesOf("2 80 79 78 3"), bytesOf("13")};
    for (Notation mode : {T, H, D}) {
        for (int v = 0; v < 256; ++v) {
            const QByteArray one(1, char(v));
            EXPECT_EQ(parseCommandNotation(formatCommandNotation(one, mode), mode).bytes, one) << v;
        }
        for (const QByteArray& list : lists)
            EXPECT_EQ(parseCommandNotation(formatCommandNotation(list, mode), mode).bytes, list);
    }
    // Decimal, ASCII and hexadecimal forms of a record, read in the matching notation. The ASCII
    // form shows a tab and a line feed as themselves, which text refuses as typed by mistake.
    QByteArray noTabOrLf = all.left(128);
    noTabOrLf.remove(9, 2);
    for (const QByteArray& list : {noTabOrLf, all.mid(128), bytesOf("12 13 13 32 13 32")}) {
        const ByteList record = ByteList::fromBytes(list);
        EXPECT_EQ(parseCommandNotation(record.textForm(Notation::Decimal), D).bytes, list);
        EXPECT_EQ(parseCommandNotation(record.textForm(Notation::Text), T).bytes, list);
        EXPECT_EQ(parseCommandNotation(record.textForm(Notation::Hex), H).bytes, list);
    }
    const ParsedCommand tooLong = parseCommandNotation(QString(256, 'A'), T);
    ASSERT_FALSE(tooLong.ok());
    EXPECT_EQ(tooLong.fault->column, 256);
}

TEST(CommandNotation, LookalikeNamesWarnAndHexTypedAsTextIsRecognised) {
    const ParsedCommand parsed = parseCommandNotation("<=><CRX><b><stxx>", T);
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.warnings.size(), 2);
    EXPECT_EQ(parsed.warnings[0].message(),
              "column 4: \"<CRX>\" is no control name, so it is sent as 5 characters; did you "
              "mean <CR>?");
    EXPECT_TRUE(parsed.warnings[1].message().endsWith("did you mean <STX>?"));
    EXPECT_TRUE(parseCommandNotation("PWR ON<CR>", T).warnings.isEmpty());
    EXPECT_EQ(parseCommandNotation("<AZ>", T).warnings.size(), 1); // two letters, A to Z
    EXPECT_EQ(parseCommandNotation("a\nb", T).fault->message(),
              "column 2: \"\\n\" is a line break; in text write it as \\r or \\n (<CR>, <LF>)");

    for (const auto& [text, hex] : {std::pair{"BE EF 03", true},
                                    {"0x02,0x50", true},
                                    {"7Eh 30h", true},
                                    {"PWR ON<CR>", false},
                                    {"\\x02PON\\x03", false}, // text escapes: the same bytes
                                    {"ABBA", false},
                                    {"%1POWR 1", false},
                                    {"02 \"PON\" 03", false},
                                    {"12", false}})
        EXPECT_EQ(looksLikeHex(QString::fromLatin1(text)), hex) << text;
}
