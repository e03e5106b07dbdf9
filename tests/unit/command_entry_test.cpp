#include "project/button_config.h"
#include "project/command_entry.h"
#include "project/project_state.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(CommandEntry, OneCharacterIsItsCodeTwoAreHexadecimalAndTheRestIsUnreadable) {
    const QString euro(QChar(0x20AC)), omega(QChar(0x03A9)); // omega has no single-byte code
    for (const auto& [text, byte] : {std::pair{QString("5"), 53},
                                     {"P", 80},
                                     {"?", 63},
                                     {euro, 128},
                                     {"0D", 13},
                                     {"0d", 13},
                                     {"ff", 255},
                                     {"02", 2},
                                     {"9A", 154},
                                     {"aF", 175}})
        EXPECT_EQ(ParseEntryByte(text), byte) << text.toStdString();
    // "1G" would be 39 on the wire without the digit check; the characters either side of each
    // digit range are no digits, first or second.
    for (const QString& text : {QString(), QString("123"), QString("1G"), QString(" 1"), omega})
        EXPECT_FALSE(ParseEntryByte(text)) << text.toStdString();
    for (QChar c : QStringLiteral("/:`g@G"))
        EXPECT_FALSE(ParseEntryByte(QString(c) + '0') || ParseEntryByte(QString('0') + c))
            << int(c.unicode());
    for (const auto& [digit, value] :
         {std::pair{'a', 10}, {'F', 15}, {'0', 0}, {'9', 9}, {'G', 23}})
        EXPECT_EQ(HexDigitValue(QLatin1Char(digit)), value) << digit;
}

TEST(CommandEntry, ByteCountIsAWholeNumberInRange) {
    for (const auto& [text, count] : {std::pair{"25", 25}, {"0", 0}, {" 3 ", 3}, {"255", 255}})
        EXPECT_EQ(parseByteCount(text), count) << text;
    for (const char* bad : {"", "x", "-1", "2.5", "256", "1e3"})
        EXPECT_FALSE(parseByteCount(bad)) << bad;
}

TEST(CommandEntry, TargetsAndTheirTextForms) {
    ProjectState state;
    ButtonConfig record = state.button(4);
    storeCommandString(record, {CommandPort::One, 0}, ByteList{2, 80, 3});
    storeCommandString(record, {CommandPort::One, 1}, ByteList{10});
    storeCommandString(record, {CommandPort::Two, 0}, ByteList{65, 13});
    storeCommandString(record, {CommandPort::Two, 1}, ByteList{7, 8});
    EXPECT_EQ(record.commandString1(), ByteList({2, 80, 3}));
    EXPECT_EQ(record.commandString1_2(), ByteList({10}));
    EXPECT_EQ(record.commandString2(), ByteList({65, 13}));
    EXPECT_EQ(record.commandString2_2(), ByteList({7, 8}));
    state.setButton(4, record);

    using Strings = std::array<QString, 4>;
    EXPECT_EQ(ShowButtonStrings(state, 4), (Strings{" 2 80 3", " 10", " 65 13", " 7 8"}));
    state.updatePort(0, [&](CommSets& settings) { settings.prsentAs = 2; });
    state.updatePort(1, [&](CommSets& settings) { settings.prsentAs = "1"; });
    EXPECT_EQ(ShowButtonStrings(state, 4),
              (Strings{" 02H 50H 03H", " 0AH", "A <CR> ", QString(QChar(7)) + QChar(8)}));
    EXPECT_EQ(ShowButtonStrings(state, 0), (Strings{"", "", "", ""}));
}
