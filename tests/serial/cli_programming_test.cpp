// ondrel-cli upload, restore and firmware, run as programs against the virtual panel.
#include "files/qcd_file.h"
#include "panel_core.h"
#include "platform/qt_serial_line.h"
#include "programming/hex_generator.h"
#include "programming/programming.h"
#include "support/cli_run.h"
#include "support/qcd_fixtures.h"
#include "support/virtual_panel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::panel::PanelMemory;

namespace {

class CliProgramming : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(dir.path()).mkpath(QStringLiteral("firmware"));
        write(firmwareFilePath(dir.path()), generateFirmwareHex(16).toLatin1());
        write(dir.filePath(QStringLiteral("default.dat")), "0,1,0,1,9,130,#");
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList common(const VirtualPanel& panel) const {
        return {QStringLiteral("--port"),          panel.path(),
                QStringLiteral("--dir"),           dir.path(),
                QStringLiteral("--block-timeout"), QStringLiteral("100"),
                QStringLiteral("--reset-timeout"), QStringLiteral("3")};
    }
    static PanelMemory memoryOf(VirtualPanel& panel) {
        panel.stop();
        return PanelMemory::parseDump(panel.dump()).value();
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliProgramming, UploadWritesTheImageOfTheFile) {
    ProjectState state;
    setUpWorkedExample(state);
    const QString qcd = dir.filePath(QStringLiteral("example.qcd"));
    ASSERT_TRUE(saveQcd(state, qcd).ok());
    const QString bin = dir.filePath(QStringLiteral("image.bin"));
    ASSERT_EQ(cli({QStringLiteral("image"), qcd, QStringLiteral("-o"), bin}).exitCode, 0);
    QFile imageFile(bin);
    ASSERT_TRUE(imageFile.open(QIODevice::ReadOnly));
    const QByteArray image = imageFile.readAll();

    VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    const CliRun run = cli(QStringList{QStringLiteral("upload"), qcd} + common(panel));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Programming Complete: Upload Complete.")));
    const PanelMemory memory = memoryOf(panel);
    EXPECT_EQ(memory.read(kConfigWordAddress, int(image.size())), image);
    EXPECT_TRUE(panel.decoded().contains(QStringLiteral("port one first: 2 80 3")))
        << panel.decoded().toStdString();
}

TEST_F(CliProgramming, RestoreSucceedsOnlyWhenEveryBlockWasAcknowledged) {
    for (const bool silent : {false, true}) {
        VirtualPanel panel(silent ? QStringList{"--stop-after", "20"} : QStringList{});
        ASSERT_TRUE(panel.ok());
        const CliRun run = cli(QStringList{QStringLiteral("restore")} + common(panel));
        EXPECT_EQ(run.exitCode, silent ? 1 : 0) << run.err.toStdString();
        EXPECT_EQ(run.out.contains(QStringLiteral("Upload Complete.")), !silent);
        EXPECT_EQ(run.err.contains(QStringLiteral("Error: The panel stopped answering")), silent)
            << run.err.toStdString();
        if (!silent) {
            QByteArray expected(kConfigCapacity, '\0');
            expected.replace(0, 6, QByteArray::fromHex("00010001 0982"));
            EXPECT_EQ(memoryOf(panel).read(kConfigWordAddress, kConfigCapacity), expected);
        }
    }
}

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
        ::kill(pid_t(run.processId()), sig);
        ASSERT_TRUE(run.waitForFinished(10000)) << sig;
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << sig;
        EXPECT_TRUE(run.readAllStandardError().contains("Interrupted; the port")) << sig;
        EXPECT_EQ(locks(), 0) << sig;
        EXPECT_TRUE(QtSerialLine(panel.path()).open(SerialSettings{}).ok()) << sig;
    }
}
