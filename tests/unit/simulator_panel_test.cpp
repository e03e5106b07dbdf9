#include "project/split_command_text.h"
#include "tools/byte_presentation.h"
#include "tools/simulator_panel.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(BytePresentation, ReceivedAndSentBytesInEachForm) {
    using P = Notation;
    const QString euro = QString(" ") + QChar(0x20AC); // the tool's single-byte code page
    for (const auto& [bytes, form, text] :
         {std::tuple{QByteArray("\x0D\x02"), P::Hex, QString(" D 2")},
          {"\r", P::Text, "  <CR>"},
          {"ABC", P::Text, " A B C"},
          {"\x0A\xAB\xFF", P::Hex, " A AB FF"},
          {QByteArray("\x00\xFF", 2), P::Decimal, " 0 255"},
          {"\x80", P::Text, euro},
          {"", P::Hex, ""}})
        EXPECT_EQ(presentReceived(bytes, form), text) << bytes.toHex().toStdString();
    for (const auto& [bytes, form, text] : {std::tuple{QByteArray("\x02\x50"), P::Hex, " 2H 50H"},
                                            {"AB\rC", P::Text, " A B<CR> C"},
                                            {"\x02\x50", P::Decimal, " 2 80"}})
        EXPECT_EQ(presentSent(bytes, form), text) << bytes.toHex().toStdString();
    for (const auto& [setting, form] : {std::pair{Value(1), P::Text},
                                        {Value("2"), P::Hex},
                                        {Value(), P::Decimal},
                                        {Value(0), P::Decimal}})
        EXPECT_EQ(notationOf(setting), form);
}

TEST(BytePresentation, BytesToSend) {
    ByteList list{2, 0, 80};
    list.setSlot(1, Value());
    EXPECT_EQ(bytesToSend(list).value(), QByteArray("\x02\x00\x50", 3));
    EXPECT_EQ(bytesToSend(ByteList{}).value(), QByteArray());
    EXPECT_FALSE(bytesToSend(ByteList{2, 300}).ok());
    EXPECT_FALSE(bytesToSend(SplitCommandText("2 x").commandTokens).ok());
}

TEST(SimulatorPanel, TextsOfTypesRelaysAndPorts) {
    for (const auto& [type, text] : {std::pair{Value(4), "Toggle"},
                                     {Value("0"), "On"},
                                     {Value(7), "Not Defined"},
                                     {Value(), "Not Defined"}})
        EXPECT_EQ(simulatorTypeText(type), text);
    EXPECT_EQ(simulatorRelayText(Value(2)), "Mommentary");
    EXPECT_EQ(simulatorRelayText(Value("3")), "No Change");
    EXPECT_FALSE(simulatorRelayText(Value(4)));

    CommSets port;
    EXPECT_EQ(simulatorPortLine(0, port), "Port 1 Is not currently set up!");
    EXPECT_FALSE(simulatorSettingsText(port));
    port.BaudRate = Value("");
    EXPECT_EQ(simulatorPortLine(1, port), "Port 2 Is not currently set up!");
    port.BaudRate = Value(9600);
    port.Parity = Value("EVEN");
    EXPECT_EQ(simulatorSettingsText(port), "9600,e,8,1");
    port.BaudRate = Value("19200");
    port.Parity = Value("ODD");
    EXPECT_EQ(simulatorSettingsText(port), "19200,n,8,1");
    port.BaudRate = Value("fast");
    EXPECT_FALSE(simulatorSettingsText(port));
}
