// Checking a programmed panel end to end: a configuration uploaded to the virtual panel through
// the real upload procedure, every button pressed there, and ondrel-cli monitor --check on both
// control ports; then a panel programmed with one byte changed is caught.
#include "files/qcd_file.h"
#include "programming/programming.h"
#include "project/project_state.h"
#include "support/cli_run.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;

namespace {

// On, Off, three Sources (one clearing with them), a Toggle with two strings on each port, and
// Momentary buttons; port one 9600 baud, port two 19200 baud.
void configure(ProjectState& s) {
    const int types[kButtonCount] = {TypeOn,        TypeOff,      TypeSource,    TypeSource,
                                     TypeSource,    TypeToggle,   TypeMomentary, TypeMomentary,
                                     TypeMomentary, TypeMomentary};
    for (int i = 0; i < kButtonCount; ++i) {
        ButtonConfig b = s.button(i);
        b.Button_type = types[i];
        b.setCommandString1(0, ByteList{2, 'A' + i, 13});
        b.setCommandString2(0, ByteList{0xBE, 0xEF, i, 3});
        s.setButton(i, b);
    }
    s.updateButton(6, [&](ButtonConfig& record) { record.clrWthSrc = 1; });
    s.updateButton(5, [&](ButtonConfig& record) {
        record.setCommandString1_2(0, ByteList{2, 'z', 13});
    });
    s.updateButton(5, [&](ButtonConfig& record) {
        record.setCommandString2_2(0, ByteList{0xBE, 0xEF, 0x55, 3});
    });
    s.updateButton(5, [&](ButtonConfig& record) { record.setDualFunction(); });
    s.updatePort(0, [&](CommSets& settings) { settings.BaudRate = 9600; });
    s.updatePort(0, [&](CommSets& settings) { settings.Parity = "NONE"; });
    s.updatePort(1, [&](CommSets& settings) { settings.BaudRate = 19200; });
    s.updatePort(1, [&](CommSets& settings) {
        settings.Parity = "NONE";
    }); // a pseudo-terminal takes no parity
}

} // namespace

TEST(PanelCheck, EveryButtonOfBothPortsIsCheckedAndAChangedByteIsCaught) {
    QTemporaryDir dir;
    writeProgramFolder(dir.path(), 16);
    ProjectState state;
    configure(state);
    const QString good = dir.filePath(QStringLiteral("room.qcd"));
    ASSERT_TRUE(saveQcd(state, good).ok());
    state.updateButton(4, [&](ButtonConfig& record) {
        record.setCommandString2(0, ByteList{0xBE, 0xEF, 4, 4});
    }); // one byte changed
    const QString changed = dir.filePath(QStringLiteral("changed.qcd"));
    ASSERT_TRUE(saveQcd(state, changed).ok());

    struct Case {
        QString programmed;
        bool port2Passes;
    };
    for (const Case& c : {Case{good, true}, Case{changed, false}}) {
        SCOPED_TRACE(c.programmed.toStdString());
        const QString control[2] = {dir.filePath(QStringLiteral("control1")),
                                    dir.filePath(QStringLiteral("control2"))};
        QProcess panel;
        panel.start(
            binDir() + QStringLiteral("/ondrel-panel"),
            {QStringLiteral("--control1"), control[0], QStringLiteral("--control2"), control[1]});
        ASSERT_TRUE(panel.waitForReadyRead(5000));
        const QString panelPath = QString::fromLocal8Bit(panel.readLine()).trimmed();
        const CliRun upload = cli({QStringLiteral("upload"), c.programmed, QStringLiteral("--port"),
                                   panelPath, QStringLiteral("--dir"), dir.path(),
                                   QStringLiteral("--reset-timeout"), QStringLiteral("5")});
        ASSERT_EQ(upload.exitCode, 0) << upload.err.toStdString();

        QProcess monitors[2];
        for (int p = 0; p < 2; ++p) {
            monitors[p].start(binDir() + QStringLiteral("/ondrel-cli"),
                              {QStringLiteral("monitor"), QStringLiteral("--port"), control[p],
                               QStringLiteral("--check"), good, QStringLiteral("--control-port"),
                               QString::number(p + 1), QStringLiteral("--seconds"),
                               c.port2Passes ? QStringLiteral("20") : QStringLiteral("3")});
            ASSERT_TRUE(monitors[p].waitForReadyRead(5000)) // the port is open
                << monitors[p].readAllStandardError().toStdString();
        }
        // The control goes on with the On button; the Toggle is pressed twice; Off comes last.
        for (int button : {1, 3, 4, 5, 6, 6, 7, 8, 9, 10, 2})
            panel.write(QStringLiteral("press %1\n").arg(button).toLatin1());
        ASSERT_TRUE(panel.waitForBytesWritten(5000));
        QString output[2];
        for (int p = 0; p < 2; ++p) {
            ASSERT_TRUE(monitors[p].waitForFinished(30000));
            output[p] = QString::fromLocal8Bit(monitors[p].readAllStandardOutput());
        }
        EXPECT_EQ(monitors[0].exitCode(), 0)
            << output[0].toStdString() << panel.readAllStandardOutput().toStdString();
        EXPECT_TRUE(output[0].contains("Port one: 10 of 10 buttons sent what was programmed"))
            << output[0].toStdString();
        EXPECT_EQ(monitors[1].exitCode(), c.port2Passes ? 0 : 1) << output[1].toStdString();
        if (c.port2Passes) {
            EXPECT_TRUE(output[1].contains("Port two: 10 of 10 buttons sent what was programmed"))
                << output[1].toStdString();
        } else {
            EXPECT_TRUE(output[1].contains("Port two: 9 of 10 buttons"));
            EXPECT_TRUE(output[1].contains("Missing: Button Five, port two (BE EF 04 03)"));
            EXPECT_TRUE(output[1].contains("Unexpected on port two: BE EF 04 04 |<BE><EF><EOT>"
                                           "<EOT>|, nearest Button Five, port two (1 byte apart)"))
                << output[1].toStdString();
        }
        panel.terminate();
        panel.waitForFinished(5000);
    }
}
