// ondrel-cli upload, restore and firmware, run as programs against the virtual panel.
#include "files/qcd_file.h"
#include "panel_core.h"
#include "programming/hex_generator.h"
#include "programming/programming.h"
#include "support/cli_run.h"
#include "support/qcd_fixtures.h"
#include "support/virtual_panel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
