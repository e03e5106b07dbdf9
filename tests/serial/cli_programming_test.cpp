// ondrel-cli programming runs, stopped by a signal while they wait for the reset.
#include "platform/qt_serial_line.h"
#include "programming/programming.h"
#include "support/cli_run.h"
#include "support/virtual_panel.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;

namespace {

class CliProgramming : public ::testing::Test {
protected:
    void SetUp() override { writeProgramFolder(dir.path(), 16, 0, "0,1,0,1,9,130,#"); }
    QStringList common(const VirtualPanel& panel) const {
        return {QStringLiteral("--port"),          panel.path(),
                QStringLiteral("--dir"),           dir.path(),
                QStringLiteral("--block-timeout"), QStringLiteral("100"),
                QStringLiteral("--reset-timeout"), QStringLiteral("3")};
    }
    QTemporaryDir dir;
};

} // namespace

// SIGTERM and SIGHUP end a run waiting for the reset as Ctrl+C does: the port closed, its lock
// file gone, the port free for the next program.
TEST_F(CliProgramming, TerminatingSignalsCloseThePortAndRemoveItsLock) {
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
        VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("100000")});
        const QStringList lock{QStringLiteral("LCK..pts_") + QFileInfo(panel.path()).fileName()};
        const auto locks = [&] { return QDir("/var/lock").entryList(lock, QDir::Files).size(); };
        QProcess run;
        run.start(binDir() + "/ondrel-cli", QStringList{QStringLiteral("restore")} + common(panel));
        QByteArray said;
        while (!said.contains("Press Reset") && run.waitForReadyRead(10000))
            said += run.readAllStandardOutput();
        EXPECT_EQ(locks(), 1) << sig;
        EXPECT_TRUE(signalChild(run, sig)) << sig;
        ASSERT_TRUE(run.waitForFinished(10000)) << sig;
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << sig;
        EXPECT_TRUE(run.readAllStandardError().contains("Interrupted; the port")) << sig;
        EXPECT_EQ(locks(), 0) << sig;
        EXPECT_TRUE(QtSerialLine(panel.path()).open(SerialSettings{}).ok()) << sig;
    }
}
