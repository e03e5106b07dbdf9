#include "project/button_config.h"
#include "project/command_entry.h"
#include "project/project_state.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(CommandEntry, OneCharacterIsItsCodeTwoAreHexadecimal) {
    EXPECT_EQ(ParseEntryByte("5"), 53);
    EXPECT_EQ(ParseEntryByte("A"), 65);
    EXPECT_EQ(ParseEntryByte("P"), 80);
    EXPECT_EQ(ParseEntryByte("?"), 63);
    EXPECT_EQ(ParseEntryByte(QString(QChar(0x20AC))), 128); // the euro sign in Windows-1252
    EXPECT_EQ(ParseEntryByte("0D"), 13);
    EXPECT_EQ(ParseEntryByte("0d"), 13);
    EXPECT_EQ(ParseEntryByte("ff"), 255);
    EXPECT_EQ(ParseEntryByte("02"), 2);
    EXPECT_EQ(ParseEntryByte("9A"), 154);
}

TEST(CommandEntry, UnreadableEntriesGiveNothing) {
    EXPECT_FALSE(ParseEntryByte(""));
    EXPECT_FALSE(ParseEntryByte("123"));
    EXPECT_FALSE(ParseEntryByte("1G")); // would be 39 on the wire without the digit check
    EXPECT_FALSE(ParseEntryByte(" 1"));
    EXPECT_FALSE(ParseEntryByte(QString(QChar(0x03A9)))); // no single-byte code
}

TEST(CommandEntry, HexDigitValue) {
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('G'), 23);
}

TEST(CommandEntry, ByteCountIsAWholeNumberInRange) {
    EXPECT_EQ(parseByteCount("25"), 25);
    EXPECT_EQ(parseByteCount("0"), 0);
    EXPECT_EQ(parseByteCount(" 3 "), 3);
    EXPECT_EQ(parseByteCount("255"), 255);
    for (const char* bad : {"", "x", "-1", "2.5", "256", "1e3"})
        EXPECT_FALSE(parseByteCount(bad)) << bad;
}

TEST(CommandEntry, TargetsAndTheirTextForms) {
    ProjectState state;
    ButtonConfig& record = state.editButton(4);
    storeCommandString(record, {StringTarget::kPortOne, 0}, ByteList{2, 80, 3});
    storeCommandString(record, {StringTarget::kPortOne, 1}, ByteList{10});
    storeCommandString(record, {StringTarget::kPortTwo, 0}, ByteList{65, 13});
    storeCommandString(record, {StringTarget::kPortTwo, 1}, ByteList{7, 8});
    EXPECT_EQ(record.commandString1(), ByteList({2, 80, 3}));
    EXPECT_EQ(record.commandString1_2(), ByteList({10}));
    EXPECT_EQ(record.commandString2(), ByteList({65, 13}));
    EXPECT_EQ(record.commandString2_2(), ByteList({7, 8}));

    using Strings = std::array<QString, 4>;
    EXPECT_EQ(ShowButtonStrings(state, 4), (Strings{" 2 80 3", " 10", " 65 13", " 7 8"}));
    state.editPort(0).prsentAs = 2;
    state.editPort(1).prsentAs = "1";
    EXPECT_EQ(ShowButtonStrings(state, 4),
              (Strings{" 02H 50H 03H", " 0AH", "A <CR> ", QString(QChar(7)) + QChar(8)}));
    EXPECT_EQ(ShowButtonStrings(state, 0), (Strings{"", "", "", ""}));
}
