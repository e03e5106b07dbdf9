#include "platform/qt_serial_line.h"
#include "support/port_env.h"
#include "support/pty_pair.h"
#include "support/ui_helpers.h"
#include "ui/tools/simulator.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::ui;
using test::PtyPair;

namespace {

class SimulatorTest : public ::testing::Test {
protected:
    SimulatorTest() {
        CommSets port = state.port(0);
        port.BaudRate = Value(9600);
        port.Parity = Value("NONE"); // a pseudo-terminal takes no parity
        port.prsentAs = Value(2);
        state.setPort(0, port);
        setButton(0, TypeOn, {2, 80});
        setButton(1, TypeOff, {3});
        setButton(2, TypeToggle, {0x11}, {0x22});
        setButton(3, TypeSource, {0x30});
        setButton(4, TypeSource, {0x40});
        setButton(5, TypeToggle, {0x50});
        state.updateButton(5, [&](ButtonConfig& record) { record.clrWthSrc = Value(1); });
        setButton(6, TypeMomentary, {0x60});
        setButton(7, TypeMomentary, {});
        state.updateButton(7,
                           [&](ButtonConfig& record) { record.setRelayInfo(1, RelayMomentary); });
        state.updateButton(7, [&](ButtonConfig& record) { record.setRelayInfo(2, RelayOn); });
    }
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        window = std::make_unique<Simulator>(state, factory);
        window->show();
        ASSERT_TRUE(window->isPortOpen());
    }

    void setButton(int i, int type, std::initializer_list<int> primary,
                   std::initializer_list<int> secondary = {}) {
        ButtonConfig b = state.button(i);
        b.Button_type = Value(type);
        b.setCommandString1(int(primary.size()), ByteList(primary));
        b.setCommandString1_2(int(secondary.size()), ByteList(secondary));
        state.setButton(i, b);
    }
    // Presses button `i` and returns what reached the far end of the line.
    QByteArray press(int i, int expectedBytes = 1) {
        window->findChild<QPushButton*>(QStringLiteral("Command1_%1").arg(i))->click();
        return pty.receive(expectedBytes, expectedBytes ? 1000 : 200);
    }
    QString box(const char* name) const {
        return window->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    QStringList logLines() const {
        return window->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))
            ->toPlainText()
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    PtyPair pty;
    test::PortMapping ports{pty.path()};
    QtSerialLineFactory factory;
    ProjectState state;
    std::unique_ptr<Simulator> window;
    test::MessageBoxes boxes;
};

} // namespace

TEST_F(SimulatorTest, OpensWithTheControlOffThenSendsInHexAndShowsTheReply) {
    EXPECT_EQ(window->deviceName(), pty.path());
    EXPECT_FALSE(window->controlOn());
    EXPECT_EQ(box("Btype_0") + box("Btype_2") + box("Btype_9"), "OnToggleMomentary");
    EXPECT_EQ(logLines().value(0), "Control Port 1,  Baud Rate: 9600");
    EXPECT_EQ(window->settings().toString(), "9600,N,8,1");
    EXPECT_EQ(press(0, 2), QByteArray("\x02\x50", 2));
    EXPECT_EQ(box("SentD"), " 2H 50H");
    EXPECT_TRUE(window->controlOn() && window->isLit(0));
    pty.send(QByteArray("\x06\x0D", 2));
    EXPECT_TRUE(test::waitUntil([&] { return box("ReplyD") == " 6 D"; }))
        << box("ReplyD").toStdString();
}

TEST_F(SimulatorTest, TogglesSourcesAndMomentaryLights) {
    press(0, 2);
    for (const char* expected : {"\x11", "\x22", "\x11"})
        EXPECT_EQ(press(2), expected);
    EXPECT_TRUE(window->isLit(2));
    press(3);
    press(5);
    EXPECT_TRUE(window->isLit(3) && window->isLit(5));
    EXPECT_EQ(press(4), "\x40"); // sources clear each other and clear-with-source buttons
    EXPECT_TRUE(window->isLit(4) && window->isLit(0) && window->isLit(2));
    EXPECT_FALSE(window->isLit(3) || window->isLit(5));

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(press(6), "\x60");
    EXPECT_TRUE(window->isLit(6));
    ASSERT_TRUE(test::waitUntil([&] { return !window->isLit(6); }, 2000));
    EXPECT_GE(timer.elapsed(), 950); // a momentary light goes out after one second
}

TEST_F(SimulatorTest, OffShutsTheControlAndLaterPressesAreRefused) {
    press(0, 2);
    EXPECT_EQ(press(7, 0), "");
    EXPECT_EQ(box("SentD"), "No String Programmed");
    press(2);
    EXPECT_EQ(press(1), "\x03");
    EXPECT_FALSE(window->controlOn());
    for (int i = 0; i < kButtonCount; ++i)
        EXPECT_FALSE(window->isLit(i)) << i;
    EXPECT_EQ(press(7, 0), "");
    EXPECT_EQ(logLines().value(0), "Control is currently off!");
    EXPECT_EQ(box("rely1") + "|" + box("rely2"), "Mommentary|On");
    EXPECT_EQ(press(2, 0), "");
    EXPECT_EQ(logLines().value(1), "Control is currently off!");
    EXPECT_FALSE(window->isLit(2));
}

TEST_F(SimulatorTest, PortTwoNotSetUpKeepsTheSettingsAndAMissingPortIsReported) {
    state.updatePort(0, [&](CommSets& settings) { settings.Parity = Value("EVEN"); });
    window->findChild<QRadioButton*>(QStringLiteral("Option1_1"))->click();
    EXPECT_EQ(logLines().value(0), "Port 2 Is not currently set up!");
    EXPECT_EQ(window->settings().toString(), "9600,N,8,1");
    // Port two's strings are the ones sent now; button 0 has none there.
    EXPECT_EQ(press(0, 0), "");
    EXPECT_EQ(box("SentD"), "No String Programmed");
    EXPECT_TRUE(boxes.seen().isEmpty());

    window->findChild<QRadioButton*>(QStringLiteral("Option1_0"))->click();
    window->findChild<QRadioButton*>(QStringLiteral("Commp_3"))->click();
    const test::MessageBoxes::Box box = boxes.next();
    EXPECT_EQ(box.title, "Error");
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_FALSE(window->isPortOpen());
    press(0, 0);
    EXPECT_EQ(boxes.next().title, "Error"); // the press says why nothing went
    EXPECT_TRUE(window->controlOn());       // and goes on
}
