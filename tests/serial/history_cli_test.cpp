// The programming history that ondrel-cli writes: one record per procedure, whatever its end,
// and one per panel when programming many rooms with --repeat.
#include "files/qcd_file.h"
#include "programming/programming.h"
#include "programming/programming_history.h"
#include "support/cli_run.h"
#include "support/qcd_fixtures.h"
#include "support/virtual_panel.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;

namespace {

class CliHistory : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(historyFilePath());
        writeProgramFolder(dir.path(), 16);
        ProjectState state;
        setUpWorkedExample(state);
        ASSERT_TRUE(saveQcd(state, qcd).ok());
        // The CRC the room sheet of the same file shows.
        const CliRun sheet = cli({QStringLiteral("sheet"), qcd, QStringLiteral("-o"),
                                  dir.filePath(QStringLiteral("s.pdf"))});
        sheetCrc =
            QRegularExpression(QStringLiteral("CRC-32 ([0-9A-F]{8})")).match(sheet.out).captured(1);
        ASSERT_FALSE(sheetCrc.isEmpty()) << sheet.out.toStdString();
    }
    QStringList upload(const VirtualPanel& panel, const QString& resetTimeout = "3") const {
        return {QStringLiteral("upload"),          qcd,
                QStringLiteral("--port"),          panel.path(),
                QStringLiteral("--dir"),           dir.path(),
                QStringLiteral("--block-timeout"), QStringLiteral("100"),
                QStringLiteral("--reset-timeout"), resetTimeout};
    }
    // Starts ondrel-cli, waits until it printed `text` `times` times, then presses Ctrl+C.
    static QString interruptAfter(QProcess& p, const QStringList& args, const QString& text,
                                  int times) {
        p.start(binDir() + "/ondrel-cli", args);
        QString out;
        while (out.count(text) < times && p.waitForReadyRead(30000))
            out += QString::fromLocal8Bit(p.readAllStandardOutput());
        signalChild(p, SIGINT);
        EXPECT_TRUE(p.waitForFinished(30000));
        return out + QString::fromLocal8Bit(p.readAllStandardOutput());
    }
    QTemporaryDir dir;
    const QString qcd = dir.filePath(QStringLiteral("Room 7.qcd"));
    QString sheetCrc;
};

} // namespace

TEST_F(CliHistory, SucceededFailedAndCancelledUploadsEachLeaveOneWholeRecord) {
    {
        VirtualPanel panel;
        EXPECT_EQ(cli(upload(panel)).exitCode, 0);
    }
    {
        VirtualPanel silent({QStringLiteral("--drop-always")}); // answers the poll, then nothing
        EXPECT_EQ(cli(upload(silent)).exitCode, 1);
    }
    {
        VirtualPanel unreached({QStringLiteral("--reset-delay"), QStringLiteral("60000")});
        QProcess p;
        interruptAfter(p, upload(unreached, "0"), QStringLiteral("Press Reset"), 1);
        EXPECT_EQ(p.exitCode(), 1);
    }
    const HistoryContents history = readHistory().value();
    ASSERT_EQ(history.records.size(), 3);
    EXPECT_EQ(history.skipped, 0);
    struct Want {
        const char* result;
        bool sent, resent, failure;
    } wants[] = {{"succeeded", true, false, false},
                 {"failed", true, true, true},
                 {"cancelled", false, false, true}};
    for (int i = 0; i < 3; ++i) {
        const HistoryRecord& r = history.records[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(r.result, QString::fromLatin1(wants[i].result));
        EXPECT_EQ(r.procedure, QStringLiteral("upload"));
        EXPECT_EQ(r.file, qcd);
        EXPECT_EQ(r.crc, sheetCrc);
        EXPECT_EQ(r.imageSize, 114);
        EXPECT_FALSE(r.device.isEmpty());
        EXPECT_TRUE(r.time.isValid());
        EXPECT_EQ(r.packets > 0, wants[i].sent);
        EXPECT_EQ(r.resends > 0, wants[i].resent);
        EXPECT_EQ(!r.failure.isEmpty(), wants[i].failure);
    }
    const CliRun csv = cli({QStringLiteral("history"), QStringLiteral("--csv")});
    EXPECT_EQ(csv.out.count(QLatin1Char('\n')), 4) << csv.out.toStdString();
}

TEST_F(CliHistory, RepeatProgramsPanelAfterPanelUntilCtrlC) {
    // Each reset takes the installer a moment: the panel answers polls only after a second.
    VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("1000")});
    ASSERT_TRUE(panel.ok());
    QProcess p;
    const QString out = interruptAfter(p, upload(panel) << QStringLiteral("--repeat"),
                                       QStringLiteral("Upload Complete."), 3);
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("3 panel(s) programmed, 0 failed.")))
        << out.toStdString();
    const HistoryContents history = readHistory().value();
    ASSERT_EQ(history.records.size(), 3);
    for (const HistoryRecord& r : history.records)
        EXPECT_EQ(r.result + r.crc, QStringLiteral("succeeded") + sheetCrc);
}
