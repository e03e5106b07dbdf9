// The monitor's bursts and names, the panel check's matching, and the configuration table read
// back.
#include "programming/config_image.h"
#include "programming/config_table.h"
#include "project/byte_text.h"
#include "support/qcd_fixtures.h"
#include "tools/monitor_bursts.h"
#include "tools/panel_check.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(ConfigTable, ReadsBackWhatBuildingWrote) {
    ProjectState worked, mixed;
    test::setUpWorkedExample(worked);
    const int types[kButtonCount] = {0, 1, 2, 2, 3, 4, 4, 3, 3, 3};
    for (int i = 0; i < kButtonCount; ++i) {
        ButtonConfig b = mixed.button(i);
        b.Button_type = types[i];
        b.Incr = i % 2;
        b.Repeatng = i % 3 == 0;
        b.setRelayInfo(1, i % 4);
        b.setRelayInfo(2, (i + 1) % 4);
        b.setCommandString2(0, ByteList{i, 255, 13});
        mixed.setButton(i, b);
    }
    mixed.updateButton(4, [&](ButtonConfig& record) { record.clrWthSrc = 1; });
    mixed.updateButton(5, [&](ButtonConfig& record) {
        record.setCommandString1_2(0, ByteList{7, 8, 9});
    });
    mixed.updatePort(1, [&](CommSets& settings) { settings.BaudRate = 115200; });
    mixed.updatePort(1, [&](CommSets& settings) { settings.Parity = "ODD"; });
    for (const ProjectState* state : {&worked, &mixed}) {
        const QByteArray image = BuildConfigImage(*state).value().bytes;
        ProjectState read;
        ASSERT_TRUE(readConfigTable(image, read).ok());
        EXPECT_EQ(BuildConfigImage(read).value().bytes, image);
        EXPECT_EQ(read.button(4).clrWthSrc, state->button(4).clrWthSrc);
        EXPECT_TRUE(readConfigTable(image.left(60), read)
                        .error()
                        .message.startsWith("The configuration table ends inside Button F"));
    }
}

TEST(MonitorBursts, EndAtAGapOrAtTheirLimit) {
    BurstSplitter splitter(100, 4);
    EXPECT_TRUE(splitter.feed("AB", 1000).empty());
    EXPECT_FALSE(splitter.flush(1100)); // not more than the gap yet
    const std::vector<Burst> done = splitter.feed("CDEFG", 1101);
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(done[0].bytes, "AB");
    EXPECT_EQ(done[1].bytes, "CDEF");
    EXPECT_EQ(splitter.finish()->bytes, "G");
    EXPECT_EQ(mnemonicText(QByteArray("\x02PW\x0D\x7F\xA9", 6)), "<STX>PW<CR><DEL><A9>");
}

TEST(PanelCheck, TicksStringsBackToBackAndNamesTheNearestForTheRest) {
    ProjectState state;
    for (int i = 0; i < 3; ++i)
        state.updateButton(i, [&](ButtonConfig& record) {
            record.setCommandString1(0, ByteList{'P', 'W', i == 2 ? 'R' : '1', 13});
        });
    state.setCommandText(0, 0, "On");
    PanelCheck check(state, {0});
    check.feed(0, "PW1\rPW1\rXPWQ\r"); // Buttons One and Two send the same; then a stray byte
    EXPECT_EQ(check.summaryLine(0), "Port one: 2 of 3 buttons sent what was programmed");
    ASSERT_EQ(check.unexpected().size(), 1u);
    EXPECT_EQ(check.unexpectedText(check.unexpected()[0]),
              "Unexpected on port one: 58 50 57 51 0D |XPWQ<CR>|, nearest Button One, port one: "
              "On (2 bytes apart)");
    EXPECT_EQ(BurstNamer(state, {{"Maker X1", "Mute", "M\r"}}).name("PW1\r"),
              "Button One, port one: On; Button Two, port one");
    EXPECT_EQ(BurstNamer(state, {{"Maker X1", "Mute", "M\r"}}).name("M\r"), "Maker X1: Mute");
}
