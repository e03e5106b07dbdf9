#include "platform/qt_serial_line.h"
#include "support/port_env.h"
#include "support/pty_pair.h"
#include "support/ui_helpers.h"
#include "ui/main/frm_main.h"
#include "ui/tools/diagnostic_in.h"
#include "ui/tools/frm_projector_test.h"
#include "ui/tools/simulator.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::ui;
using test::PtyPair;

namespace {

class Monitor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty1.ok() && pty2.ok());
        window = std::make_unique<Diagnostic_in>(factory);
        window->show();
    }

    QString text() const {
        return window->findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText();
    }
    void choose(const QString& option) { window->findChild<QRadioButton*>(option)->click(); }
    bool waitForText(const QString& expected) {
        return test::waitUntil([&] { return text() == expected; });
    }
    // The speed the far end of the line is set to, as the terminal driver reports it.
    static QString speedOf(const QString& device) {
        QProcess stty;
        stty.start(QStringLiteral("stty"), {"-F", device, "speed"});
        stty.waitForFinished(5000);
        return QString::fromLatin1(stty.readAllStandardOutput()).trimmed();
    }

    PtyPair pty1, pty2;
    test::PortMapping ports{pty1.path(), pty2.path()};
    QtSerialLineFactory factory;
    std::unique_ptr<Diagnostic_in> window;
    test::MessageBoxes boxes;
};

} // namespace

TEST_F(Monitor, OpensPortOneAndShowsBytesInEachForm) {
    EXPECT_EQ(window->deviceName(), pty1.path());
    EXPECT_EQ(speedOf(pty1.path()), "9600");
    for (const auto& [form, sent, shown] :
         {std::tuple{"PresntInas_0", "\r", "  <CR>"}, {"PresntInas_1", "\x0D\x02", " D 2"}}) {
        window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        EXPECT_EQ(text(), "");
        choose(QString::fromLatin1(form));
        pty1.send(sent);
        EXPECT_TRUE(waitForText(QString::fromLatin1(shown))) << text().toStdString();
    }
}

TEST_F(Monitor, ShowsEveryByteOfABurst) {
    choose(QStringLiteral("PresntInas_2"));
    QString expected;
    for (int round = 0; round < 4; ++round) {
        QByteArray burst;
        for (int i = 0; i < 1500; ++i) {
            burst.append(char(i % 256));
            expected += QLatin1Char(' ') + QString::number(i % 256);
        }
        pty1.send(burst);
        window->poll();
    }
    // Long runs of data are shown in paragraphs of a few thousand characters.
    EXPECT_TRUE(test::waitUntil([&] { return text().remove(QLatin1Char('\n')) == expected; }))
        << text().size() << " of " << expected.size();
}

TEST_F(Monitor, AMissingPortIsReportedAndLeftClosedAndTheBaudRateKeepsAnOpenPort) {
    choose(QStringLiteral("inDiagCom_3"));
    const test::MessageBoxes::Box box = boxes.next();
    EXPECT_EQ(box.title, "Error");
    EXPECT_TRUE(box.text.contains(QStringLiteral("/dev/ondrel-none-3"))) << box.text.toStdString();
    EXPECT_FALSE(window->isPortOpen());
    QtSerialLine other(pty1.path()); // port one is free again for others
    EXPECT_TRUE(other.open({9600, Parity::None, 8, 1}).ok());

    choose(QStringLiteral("inDiagCom_2"));
    ASSERT_TRUE(window->isPortOpen());
    EXPECT_EQ(window->deviceName(), pty2.path());
    choose(QStringLiteral("diagBaud_4"));
    EXPECT_TRUE(window->isPortOpen());
    EXPECT_EQ(speedOf(pty2.path()), "115200");
    pty2.send("Z");
    EXPECT_TRUE(waitForText(" Z"));
    EXPECT_EQ(boxes.seen().size(), 1);
}

TEST_F(Monitor, ALineThatHangsUpIsReportedOnce) {
    pty1.send("A");
    ASSERT_TRUE(waitForText(" A"));
    pty1.closeMaster();
    EXPECT_EQ(boxes.next().title, "Error");
    EXPECT_FALSE(window->isPortOpen());
    window->poll();
    window->poll();
    EXPECT_EQ(boxes.seen().size(), 1);
    EXPECT_EQ(text(), " A");
}

TEST(ToolMenus, OpenOneMonitorAndOneSimulatorAndReleaseTheMonitorsPort) {
    PtyPair pty1, pty2;
    ASSERT_TRUE(pty1.ok() && pty2.ok());
    test::PortMapping ports{pty1.path(), pty2.path()};
    ProjectState state;
    FrmMain main(state);
    test::action(main, "mnuIncmDta")->trigger();
    test::action(main, "mnuIncmDta")->trigger();
    const auto monitors = main.findChildren<Diagnostic_in*>();
    ASSERT_EQ(monitors.size(), 1);
    EXPECT_TRUE(monitors.first()->isVisible());
    EXPECT_TRUE(monitors.first()->isPortOpen());

    // The simulator also wants port 1; the monitor holds it.
    test::MessageBoxes boxes;
    test::action(main, "mnuSim")->trigger();
    ASSERT_EQ(main.findChildren<Simulator*>().size(), 1);
    EXPECT_EQ(boxes.next().title, "Error");

    auto* projectorTest = main.findChild<QAction*>(QStringLiteral("mnuProjectorTest"));
    projectorTest->trigger();
    projectorTest->trigger();
    EXPECT_EQ(main.findChildren<FrmProjectorTest*>().size(), 1);

    main.releaseMonitorPort();
    EXPECT_FALSE(monitors.first()->isPortOpen());
    main.findChild<QRadioButton*>(QStringLiteral("Commp_1"))->click();
    EXPECT_TRUE(main.findChild<Simulator*>()->isPortOpen());

    // Closing the monitor closes it for good; the menu makes a fresh one on port 1.
    monitors.first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.findChildren<Diagnostic_in*>().isEmpty());
}
