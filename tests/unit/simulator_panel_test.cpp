#include "project/split_command_text.h"
#include "tools/byte_presentation.h"
#include "tools/simulator_panel.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(BytePresentation, ReceivedBytesInEachForm) {
    EXPECT_EQ(presentReceived(QByteArray("\x0D\x02", 2), Presentation::Hex), " D 2");
    EXPECT_EQ(presentReceived("\r", Presentation::Ascii), "  <CR>");
    EXPECT_EQ(presentReceived("ABC", Presentation::Ascii), " A B C");
    EXPECT_EQ(presentReceived("ABC", Presentation::Hex), " 41 42 43");
    EXPECT_EQ(presentReceived(QByteArray("\x0A\xAB\xFF", 3), Presentation::Hex), " A AB FF");
    EXPECT_EQ(presentReceived(QByteArray("\x00\xFF", 2), Presentation::Decimal), " 0 255");
    // The ASCII form uses the tool's single-byte code page.
    EXPECT_EQ(presentReceived("\x80", Presentation::Ascii), QString(" ") + QChar(0x20AC));
    EXPECT_EQ(presentReceived({}, Presentation::Hex), "");
}

TEST(BytePresentation, SentBytesAndPresentationSettings) {
    EXPECT_EQ(presentSent(QByteArray("\x02\x50", 2), Presentation::Hex), " 2H 50H");
    EXPECT_EQ(presentSent("AB\rC", Presentation::Ascii), " A B<CR> C");
    EXPECT_EQ(presentSent(QByteArray("\x02\x50", 2), Presentation::Decimal), " 2 80");
    EXPECT_EQ(presentationOf(Value(1)), Presentation::Ascii);
    EXPECT_EQ(presentationOf(Value("2")), Presentation::Hex);
    EXPECT_EQ(presentationOf(Value()), Presentation::Decimal);
    EXPECT_EQ(presentationOf(Value(0)), Presentation::Decimal);
}

TEST(BytePresentation, BytesToSend) {
    ByteList list{2, 0, 80};
    list.setSlot(1, Value());
    EXPECT_EQ(bytesToSend(list).value(), QByteArray("\x02\x00\x50", 3));
    EXPECT_EQ(bytesToSend(ByteList{}).value(), QByteArray());
    EXPECT_FALSE(bytesToSend(ByteList{2, 300}).ok());
    EXPECT_FALSE(bytesToSend(SplitCommandText("2 x").commandTokens).ok());
}

namespace {
SimulatorPanel::TypeTexts types(std::initializer_list<const char*> texts) {
    SimulatorPanel::TypeTexts out;
    size_t i = 0;
    for (const char* t : texts)
        out[i++] = QString::fromLatin1(t);
    return out;
}
} // namespace

TEST(SimulatorPanel, ControlOffRefusesEverythingButOn) {
    ProjectState state;
    SimulatorPanel panel;
    const auto t = types({"On", "Off", "Toggle", "Source", "Momentary", "Not Defined"});
    for (int i : {1, 2, 3, 4, 5}) {
        const auto p = panel.press(i, t, state);
        EXPECT_TRUE(p.refused);
        EXPECT_FALSE(p.function);
        EXPECT_FALSE(panel.isLit(i));
    }
    const auto on = panel.press(0, t, state);
    EXPECT_FALSE(on.refused);
    EXPECT_EQ(on.function, 0);
    EXPECT_TRUE(panel.controlOn());
    EXPECT_TRUE(panel.isLit(0));
}

TEST(SimulatorPanel, TextsOfTypesRelaysAndPorts) {
    EXPECT_EQ(simulatorTypeText(Value(4)), "Toggle");
    EXPECT_EQ(simulatorTypeText(Value("0")), "On");
    EXPECT_EQ(simulatorTypeText(Value(7)), "Not Defined");
    EXPECT_EQ(simulatorTypeText(Value()), "Not Defined");
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
    EXPECT_EQ(simulatorPortLine(0, port), "Control Port 1,  Baud Rate: 9600");
    EXPECT_EQ(simulatorSettingsText(port), "9600,e,8,1");
    port.BaudRate = Value("19200");
    port.Parity = Value("ODD");
    EXPECT_EQ(simulatorSettingsText(port), "19200,n,8,1");
    port.BaudRate = Value("fast");
    EXPECT_FALSE(simulatorSettingsText(port));
}
