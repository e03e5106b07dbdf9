#include "project/button_config.h"
#include "project/split_command_text.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(ButtonConfig, NewRecordDefaults) {
    ButtonConfig b;
    EXPECT_EQ(b.getCommandString(1), "None");
    EXPECT_EQ(b.getCommandString_2(2), "None");
    EXPECT_EQ(b.getCommandString(0), "None");
    EXPECT_EQ(b.getRelay1St(0), Value(3));
    EXPECT_EQ(b.getRelay1St(1), Value(1));
    EXPECT_EQ(b.getRelay2St(0), Value(3));
    EXPECT_TRUE(b.getRelay2St(2).isUnset());
    EXPECT_FALSE(b.GetDualFunct());
    EXPECT_EQ(b.Button_type, Value(3));
}

TEST(ButtonConfig, TextFormsInAllThreePresentations) {
    const ByteList list{2, 80, 3};
    EXPECT_EQ(list.textForm(Presentation::Decimal), " 2 80 3");
    EXPECT_EQ(list.textForm(Presentation::Hex), " 02H 50H 03H");
    EXPECT_EQ(ByteList({2, 13, 3}).textForm(Presentation::Ascii),
              QString(QChar(2)) + " <CR> " + QString(QChar(3)));
    EXPECT_EQ(ByteList({10}).textForm(Presentation::Hex), " 0AH");
    EXPECT_EQ(ByteList({255}).textForm(Presentation::Hex), " FFH");
    EXPECT_EQ(list.textForm(Value()), " 2 80 3"); // a port never set shows decimal
    EXPECT_EQ(list.textForm(Value(7)), "");
    EXPECT_EQ(ByteList().textForm(Presentation::Decimal), "");
}

TEST(ButtonConfig, EmptySlotsAreSkippedAndTheClosingSlotNeverShown) {
    ByteList list{2, 0, 3};
    list.setSlot(1, Value());
    EXPECT_EQ(list.textForm(Presentation::Decimal), " 2 3");
    ByteList split = SplitCommandText("7 8").commandTokens;
    split.setSlot(split.upperBound(), Value("99"));
    EXPECT_EQ(split.textForm(Presentation::Decimal), " 7 8");
}

TEST(ButtonConfig, RelaysAndPortTwo) {
    ButtonConfig b;
    b.setRelayInfo(5, 0);
    EXPECT_EQ(b, ButtonConfig());
    b.setRelayInfo(4, 2);
    EXPECT_EQ(b.getRelay2St(1), Value(2));

    b.setCommandString1(0, ByteList{1, 2, 3}); // the count argument never truncates
    EXPECT_EQ(b.getCommandString(1), " 1 2 3");
    b.setCommandString2(3, ByteList{4});
    b.setCommandString2_2(1, ByteList{5});
    b.disablePrt2();
    EXPECT_EQ(b.getCommandString_2(1), "None");
    EXPECT_EQ(b.getCommandString_2(2), "None");
    EXPECT_EQ(b.getCommandString(1), " 1 2 3");
}

TEST(SplitCommandText, DualTextGivesTwoListsOfThree) {
    const auto first = SplitCommandText("2 80 3 / 2 81 3");
    EXPECT_EQ(first.commandTokens.upperBound(), 3);
    EXPECT_EQ(first.commandTokens.textForm(Presentation::Decimal), " 2 80 3");
    EXPECT_EQ(first.secondFunction, " 2 81 3");
    const auto second = SplitCommandText(first.secondFunction);
    EXPECT_EQ(second.commandTokens.upperBound(), 3);
    EXPECT_EQ(second.commandTokens.textForm(Presentation::Decimal), " 2 81 3");
    EXPECT_TRUE(second.secondFunction.isEmpty());
}

TEST(SplitCommandText, UpperBoundsFollowTheBlankCount) {
    EXPECT_EQ(SplitCommandText("1 2").commandTokens.upperBound(), 2);
    const auto lead = SplitCommandText(" 2 80 3");
    EXPECT_EQ(lead.commandTokens, SplitCommandText("2 80 3").commandTokens);
    EXPECT_EQ(lead.commandTokens.upperBound(), 3);
    // Without a blank before "/" the last primary value falls on the closing slot.
    const auto tight = SplitCommandText("2 80 3/ 2 81 3");
    EXPECT_EQ(tight.commandTokens.upperBound(), 2);
    EXPECT_EQ(tight.commandTokens.textForm(Presentation::Decimal), " 2 80");
    EXPECT_EQ(SplitCommandText("").commandTokens.upperBound(), 1); // one empty token
}
