#include "project/button_config.h"
#include "project/split_command_text.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(ButtonConfig, TextFormsInAllThreePresentationsSkipEmptySlots) {
    const QString stx(QChar(2)), etx(QChar(3));
    ByteList gap{2, 0, 3};
    gap.setSlot(1, Value());
    ByteList split = SplitCommandText("7 8").commandTokens;
    split.setSlot(split.upperBound(), Value("99")); // the closing slot is never shown
    // Forms: 0 decimal, 1 ASCII, 2 hexadecimal.
    for (const auto& [list, form, text] :
         {std::tuple{ByteList{2, 80, 3}, Value(0), QString(" 2 80 3")},
          {ByteList{2, 80, 3}, Value(2), " 02H 50H 03H"},
          {ByteList{2, 13, 3}, Value(1), stx + " <CR> " + etx},
          {ByteList{10, 255}, Value(2), " 0AH FFH"},
          {ByteList{2, 80, 3}, Value(), " 2 80 3"}, // a port never set shows decimal
          {ByteList{2, 80, 3}, Value(7), ""},
          {ByteList(), Value(0), ""},
          {gap, Value(0), " 2 3"},
          {split, Value(0), " 7 8"}})
        EXPECT_EQ(list.textForm(form), text);
}

TEST(ButtonConfig, DefaultsRelaysAndPortTwo) {
    ButtonConfig b;
    EXPECT_EQ(b.getRelay1St(1), Value(RelayOff)); // secondary relays start Off, primary No Change
    EXPECT_EQ(b.getRelay2St(0), Value(RelayNoChange));
    EXPECT_TRUE(b.getRelay2St(2).isUnset());
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

TEST(SplitCommandText, DualTextGivesTwoListsAndUpperBoundsFollowTheBlankCount) {
    const auto first = SplitCommandText("2 80 3 / 2 81 3");
    EXPECT_EQ(first.commandTokens.upperBound(), 3);
    EXPECT_EQ(first.commandTokens.textForm(Notation::Decimal), " 2 80 3");
    EXPECT_EQ(first.secondFunction, " 2 81 3");
    const auto second = SplitCommandText(first.secondFunction);
    EXPECT_EQ(second.commandTokens.textForm(Notation::Decimal), " 2 81 3");
    EXPECT_TRUE(second.secondFunction.isEmpty());
    EXPECT_EQ(SplitCommandText(" 2 80 3").commandTokens, SplitCommandText("2 80 3").commandTokens);
    // Without a blank before "/" the last primary value falls on the closing slot.
    const auto tight = SplitCommandText("2 80 3/ 2 81 3");
    EXPECT_EQ(tight.commandTokens.textForm(Notation::Decimal), " 2 80");
    for (const auto& [text, bound] : {std::pair{"1 2", 2},
                                      {" 2 80 3", 3},
                                      {"2 80 3/ 2 81 3", 2},
                                      {"", 1}}) // "" is one empty token
        EXPECT_EQ(SplitCommandText(text).commandTokens.upperBound(), bound) << text;
}
