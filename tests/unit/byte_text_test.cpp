// The one byte formatter: each of its forms on bytes that tell the forms apart (a leading zero,
// letters for digits, a control character, a byte from 0x80, line ends).
#include "project/byte_text.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(ByteText, EachFormOfTheSameBytes) {
    const QByteArray bytes("\x02P\x0D\xA9", 4);
    const auto hex = [](quint8 b, Notation n, HexWidth w, const char* suffix) {
        return byteNumber(b, n, w, QLatin1String(suffix));
    };
    for (const auto& [got, want] : {
             std::pair{hexText(bytes), QString("02 50 0D A9")},
             {hexText(bytes, '\0'), "02500DA9"},
             {hexLines(bytes, 3), "02 50 0D\nA9\n"},
             {hexLines(bytes.left(3), 3), "02 50 0D\n"},
             {decimalText(bytes), "2 80 13 169"},
             {mnemonicText(bytes), "<STX>P<CR><A9>"},
             {hexMnemonicText(bytes), "02 50 0D A9 |<STX>P<CR><A9>|"},
             {hexMnemonicText({}), " ||"},
             {decimalText({}), ""},
             {byteHex(0x0D), "0D"},
             {byteHex(0x0D, HexWidth::Plain), "D"},
             {hex(0x0D, Notation::Hex, HexWidth::Two, "H"), "0DH"},
             {hex(0xAB, Notation::Hex, HexWidth::Plain, "H"), "ABH"},
             {hex(0x0D, Notation::Decimal, HexWidth::Two, "H"), "13"},
             {hex(0xFF, Notation::Text, HexWidth::Two, ""), "255"},
             {printableText(" Port\talready\r\n in  use\x01\xA9 "), "Portalready in use"},
         })
        EXPECT_EQ(got, want);
}
