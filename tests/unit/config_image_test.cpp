#include "programming/config_image.h"
#include "programming/factory_data.h"
#include "programming/loader_protocol.h"
#include "project/split_command_text.h"
#include "support/test_support.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {

ConfigImage built(const ProjectState& state) {
    auto image = BuildConfigImage(state);
    EXPECT_TRUE(image.ok()) << (image.ok() ? QString() : image.error().message).toStdString();
    return image.ok() ? image.value() : ConfigImage{};
}

QByteArray hex(const QByteArray& bytes) {
    return bytes.toHex(' ');
}

// Bytes of button i's record when every button before it has no commands.
QByteArray record(const QByteArray& image, int i, int size = 10) {
    return image.mid(8 + 10 * i, size);
}

QString refusal(const ProjectState& state) {
    auto image = BuildConfigImage(state);
    EXPECT_FALSE(image.ok());
    return image.ok() ? QString() : image.error().message;
}

} // namespace

TEST(ConfigImage, NewProjectGives108BytesAndItsReport) {
    ProjectState state;
    const ConfigImage image = built(state);
    ASSERT_EQ(image.bytes.size(), 108);
    EXPECT_EQ(hex(image.bytes.left(8)), "00 01 00 01 00 00 00 00");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(hex(record(image.bytes, i)), "00 01 00 00 00 00 00 00 00 00") << i;

    QString report = "Baud Rate: 0 0 \r\nTimer: 0 0\r\n";
    for (int i = 1; i <= 10; ++i)
        report +=
            QStringLiteral("\r\nButton Number %1\r\nButton Type: 0 1\r\nState: 0 0 \r\nOff: 0 0 "
                           "\r\nP1 Bytes: 0 0\r\nP2 Bytes: 0 0\r\nP1C1: \r\nP2C1: \r\nP1C2: "
                           "\r\nP2C2: \r\n")
                .arg(i);
    EXPECT_EQ(image.report, report);
}

TEST(ConfigImage, ShippedFactorySetupIsTheNewProjectImage) {
    ProjectState state;
    const QByteArray image = built(state).bytes;
    const QByteArray text = test::readFile(test::binDir() + "/default.dat");
    EXPECT_EQ(text, formatFactoryData(image) + "\r\n");
    const auto factory = parseFactoryData(text);
    ASSERT_TRUE(factory.ok());
    EXPECT_EQ(factory.value(), image + QByteArray(kConfigCapacity - image.size(), '\0'));
}

TEST(ConfigImage, PortSettingsWordAndTimer) {
    ProjectState state;
    state.updatePort(0, [&](CommSets& settings) { settings.BaudRate = 9600; });
    state.updatePort(0, [&](CommSets& settings) { settings.Parity = "NONE"; });
    state.updatePort(1, [&](CommSets& settings) { settings.BaudRate = "19200"; });
    state.updatePort(1, [&](CommSets& settings) { settings.Parity = "EVEN"; });
    state.setTimerMinutes(300);
    const ConfigImage image = built(state);
    EXPECT_EQ(hex(image.bytes.mid(4, 4)), "09 82 01 2c");
    EXPECT_TRUE(image.report.startsWith("Baud Rate: 9 130 \r\nTimer: 1 44\r\n"));

    // Parity is compared as text, exactly.
    for (const auto& [rate, parity, code] : {std::tuple{"7600", "", 1},
                                             {"9600", "", 2},
                                             {"19200", "", 3},
                                             {"28800", "", 4},
                                             {"38400", "", 5},
                                             {"115200", "", 7},
                                             {"4800", "", 0},
                                             {"", "ODD", 32},
                                             {"", "even", 0}})
        EXPECT_EQ(portSettingCode(CommSets{rate, {}, {}, parity, {}}), code) << rate << parity;
    EXPECT_EQ(portSettingCode(CommSets{}), 0);
}

TEST(ConfigImage, TimerIsRoundedAndMustFitItsWord) {
    ProjectState state;
    for (const auto& [minutes, word] : {std::pair{22.5, "00 16"}, {65535.0, "ff ff"}}) {
        state.setTimerMinutes(minutes); // half to even
        EXPECT_EQ(hex(built(state).bytes.mid(6, 2)), word);
    }
    for (double minutes : {65536.0, -5.0}) {
        state.setTimerMinutes(minutes);
        EXPECT_TRUE(refusal(state).contains("timer")) << minutes;
    }
}

TEST(ConfigImage, TypeWordStateAndOffMasks) {
    ProjectState state;
    ButtonConfig toggle = state.button(3);
    toggle.Button_type = TypeToggle;
    toggle.Repeatng = 1;
    toggle.Incr = "1";
    toggle.setRelayInfo(1, RelayOn);
    toggle.setRelayInfo(2, RelayMomentary);
    toggle.setRelayInfo(3, RelayOn); // secondary relays are not sent
    state.setButton(3, toggle);
    state.updateButton(0, [&](ButtonConfig& record) { record.Button_type = TypeSource; });
    state.updateButton(1, [&](ButtonConfig& record) { record.Button_type = "2"; });
    state.updateButton(2, [&](ButtonConfig& record) { record.clrWthSrc = 1; });
    state.updateButton(9, [&](ButtonConfig& record) { record.Button_type = TypeOff; });
    state.updateButton(8, [&](ButtonConfig& record) { record.Button_type = TypeOn; });
    state.updateButton(8, [&](ButtonConfig& record) { record.setRelayInfo(1, RelayOff); });
    state.updateButton(8, [&](ButtonConfig& record) { record.setRelayInfo(2, RelayOff); });

    const QByteArray image = built(state).bytes;
    EXPECT_EQ(hex(record(image, 3, 2)), "03 1a"); // 2 + 8 + 16 + 512 + 256
    EXPECT_EQ(hex(record(image, 0, 6)), "00 04 00 00 00 06");
    EXPECT_EQ(hex(record(image, 1, 6)), "00 04 00 00 00 05");
    EXPECT_EQ(hex(record(image, 2, 6)), "00 01 00 00 00 00");
    EXPECT_EQ(hex(record(image, 8, 2)), "18 24"); // 36 + 2048 + 4096
    EXPECT_EQ(hex(record(image, 9, 6)), "00 41 00 01 01 ff");

    state.updateButton(3, [](ButtonConfig& b) { b.Incr = 0; });
    EXPECT_EQ(hex(record(built(state).bytes, 3, 2)), "03 12");
}

TEST(ConfigImage, CommandLengthsDataAndReport) {
    ProjectState state;
    state.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString1(5, ByteList{2, 80, 87, 79, 78});
    });
    state.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString2(3, SplitCommandText(" 7 8 13").commandTokens);
    });
    const ConfigImage image = built(state);
    EXPECT_EQ(image.bytes.size(), 108 + 16);
    EXPECT_EQ(hex(record(image.bytes, 0, 26)),
              "00 01 00 00 00 00 01 85 00 00 00 02 00 50 00 57 00 4f 00 4e 00 07 00 08 00 0d");
    EXPECT_EQ(hex(image.bytes.mid(34, 2)), "00 01"); // button two starts right after
    EXPECT_TRUE(
        image.report.contains("P1 Bytes: 1 133\r\nP2 Bytes: 0 0\r\nP1C1: 0 2 0 80 0 87 0 79 "
                              "0 78 \r\nP2C1: 0 7 0 8 0 13 \r\nP1C2: \r\n"));
}

TEST(ConfigImage, SecondaryCommandGoesFirst) {
    ProjectState state;
    ButtonConfig b = state.button(0);
    b.setCommandString1(2, ByteList{1, 2});
    b.setCommandString1_2(3, ByteList{7, 8, 9});
    b.setCommandString2(1, ByteList{5});
    state.setButton(0, b);
    const ConfigImage image = built(state);
    EXPECT_EQ(hex(record(image.bytes, 0, 22)),
              "00 01 00 00 00 00 00 83 00 02 00 07 00 08 00 09 00 05 00 01 00 02");
    EXPECT_TRUE(image.report.contains("P1C1: 0 7 0 8 0 9 \r\nP2C1: 0 5 \r\nP1C2: 0 1 0 2 \r\nP2C2: "
                                      "\r\n"));
}

TEST(ConfigImage, KdxCodesFollowTheFirstPortOneCommand) {
    ProjectState state;
    state.setKdxDevicePresent(true);
    for (int k = 0; k < 21; ++k)
        state.setKdxCode(k, 0x40 + k);
    state.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString1(2, ByteList{1, 2});
    });
    const ConfigImage image = built(state);
    EXPECT_EQ(image.bytes.size(), 108 + 4 + 40);
    EXPECT_EQ(hex(record(image.bytes, 0, 18)),
              "00 01 00 00 00 00 00 04 00 00 00 01 00 02 00 40 00 4b");
    EXPECT_TRUE(image.report.contains("P1 Bytes: 0 4\r\nP2 Bytes: 0 0\r\nP1C1: 0 1 0 2 \r\n"));
    // A button without commands still carries its two codes.
    EXPECT_EQ(hex(image.bytes.mid(8 + 18, 14)), "00 01 00 00 00 00 00 02 00 00 00 41 00 4c");
    EXPECT_EQ(hex(image.bytes.right(4)), "00 49 00 54"); // the last button: entries 9 and 20

    // With a secondary command on port one the codes and their count go with it, the command
    // placed first; the primary command's count stays its own.
    state.updateButton(0,
                       [&](ButtonConfig& record) { record.setCommandString1_2(1, ByteList{9}); });
    EXPECT_EQ(hex(record(built(state).bytes, 0, 20)),
              "00 01 00 00 00 00 00 03 00 02 00 09 00 40 00 4b 00 01 00 02");

    state.setKdxCode(11, 256);
    EXPECT_TRUE(refusal(state).startsWith("Button 1: KDX code 256"));
}

TEST(ConfigImage, RefusedBeforeAnythingIsSent) {
    ProjectState state;
    state.updateButton(4, [&](ButtonConfig& record) { record.Button_type = 5; });
    EXPECT_TRUE(refusal(state).startsWith("Button 5: button type \"5\""));
    state.updateButton(4, [&](ButtonConfig& record) { record.Button_type = "On"; });
    EXPECT_TRUE(refusal(state).startsWith("Button 5: "));
    state.updateButton(4, [&](ButtonConfig& record) { record.Button_type = TypeOn; });

    ByteList bad{1, 2, 3};
    bad.setSlot(1, Value("300"));
    state.updateButton(6, [&](ButtonConfig& record) { record.setCommandString2_2(3, bad); });
    EXPECT_EQ(refusal(state),
              "Button 7, control port 2: byte 2 (\"300\") of the secondary command is not a number "
              "from 0 to 255");
    state.updateButton(6, [&](ButtonConfig& record) { record.setCommandString2_2(0, ByteList()); });

    // Length fields hold 7 bits: 127 bytes, 125 for the first port-one command with the KDX device.
    state.updateButton(1, [&](ButtonConfig& record) {
        record.setCommandString1(127, ByteList::fromBytes(QByteArray(127, 'a')));
    });
    built(state);
    state.updateButton(1, [&](ButtonConfig& record) {
        record.setCommandString2(128, ByteList::fromBytes(QByteArray(128, 'a')));
    });
    EXPECT_TRUE(refusal(state).startsWith("Button 2, control port 2: a command of 128 bytes"));
    state.updateButton(1, [&](ButtonConfig& record) { record.setCommandString2(0, ByteList()); });
    state.setKdxDevicePresent(true);
    EXPECT_EQ(refusal(state), "Button 2, control port 1: a command of 127 bytes is too long; at "
                              "most 125 bytes fit with the KDX device");
    state.updateButton(1, [&](ButtonConfig& record) {
        record.setCommandString1(125, ByteList::fromBytes(QByteArray(125, 'a')));
    });
    EXPECT_EQ(built(state).bytes.size(), 108 + 40 + 250);
}

TEST(ConfigImage, ImageLargerThanThePanelTableIsRefused) {
    ProjectState state;
    const ByteList longest = ByteList::fromBytes(QByteArray(127, 'x'));
    for (int i = 0; i < 10; ++i) {
        ButtonConfig b = state.button(i);
        b.setCommandString1(127, longest);
        b.setCommandString1_2(127, longest);
        b.setCommandString2(127, longest);
        b.setCommandString2_2(127, longest);
        state.setButton(i, b);
    }
    EXPECT_EQ(refusal(state), "Button 4, control port 2: the configuration does not fit the "
                              "panel's memory (at most 4097 bytes)");
    // Three full buttons and a fourth with three commands still fit: 3096 + 3 * 254 bytes.
    state.updateButton(3, [&](ButtonConfig& record) { record.setCommandString2_2(0, ByteList()); });
    for (int i = 4; i < 10; ++i)
        state.setButton(i, ButtonConfig());
    EXPECT_EQ(built(state).bytes.size(), 3096 + 762 + 60);
}

// A setting outside the settings dialog's lists would reach the panel as "not set up": refused
// on a port a button sends on, a warning on one nobody uses, fine when empty.
TEST(ConfigImage, PortSettingsThePanelDoesNotKnow) {
    // Port one's settings, whether Button 3 sends on it, and the refusal ("" builds; "!" and the
    // start of the warning when it builds with one).
    for (const auto& [port, used, said] :
         {std::tuple{CommSets{"14400", "1", "8", "NONE", 1}, true,
                     "baud rate \"14400\" (it knows 7600, 9600, 19200, 28800, 38400 or 115200). "
                     "Button 3"},
          {CommSets{"9600", "2", "7", "even", 1}, true,
           "has settings the panel does not know: parity \"even\" (it knows NONE, EVEN or "
           "ODD); data bits \"7\" (it sends 8); stop bits \"2\" (it sends 1). Button 3"},
          {CommSets{"96OO", {}, {}, {}, {}}, false, "!Control port 1 has a setting"},
          {CommSets{"", "", "", "", {}}, true, ""},
          {CommSets{" 19200 ", 1, 8, "ODD", 2}, true, ""}}) {
        ProjectState state;
        state.setPort(0, port);
        if (used)
            state.updateButton(
                2, [&](ButtonConfig& record) { record.setCommandString1_2(1, ByteList{13}); });
        const auto image = BuildConfigImage(state);
        const QString shown = image ? "!" + image.value().warnings.join("") : image.error().message;
        EXPECT_TRUE(*said ? shown.contains(said) : shown == "!") << shown.toStdString();
    }
    // Port two, where only Button Ten sends; the KDX device sends on port one.
    ProjectState state;
    state.updatePort(1, [&](CommSets& settings) { settings.BaudRate = "1200"; });
    state.setKdxDevicePresent(true);
    EXPECT_TRUE(built(state).warnings.value(0).startsWith("Control port 2 has a setting"));
    state.updateButton(9, [&](ButtonConfig& record) { record.setCommandString2(1, ByteList{1}); });
    EXPECT_TRUE(refusal(state).contains("Button 10 sends on that port: correct it under Control "
                                        "Ports > Settings > Port 2 before uploading."));
}
