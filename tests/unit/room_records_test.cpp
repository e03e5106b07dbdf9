// The room sheet as a printed PDF (read back with pdftotext), the CRC-32 both it and the
// programming history carry, and the history file under concurrent appends and crashes.
#include "files/crc32.h"
#include "files/qcd_file.h"
#include "files/room_sheet.h"
#include "platform/room_sheet_printer.h"
#include "programming/config_image.h"
#include "programming/programming_history.h"
#include "support/cli_run.h"
#include "support/qcd_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;

namespace {

// The text of a PDF's page (0: every page), as pdftotext reads it.
QString pdfText(const QString& pdf, int page = 0) {
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

HistoryRecord record(int n) {
    HistoryRecord r =
        startRecord(QStringLiteral("upload"), QStringLiteral("room %1, \"A\".qcd").arg(n),
                    QByteArray(108, char(n)));
    r.result = QStringLiteral("failed");
    r.failure = QStringLiteral("line one\nline two, with a comma");
    r.packets = n;
    r.durationMs = 1234; // kept to a tenth of a second
    return r;
}

} // namespace

TEST(Crc32, MatchesTheStandardCheckValues) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc32(QByteArray()), 0u);
    EXPECT_EQ(crc32Text(crc32("a")), QStringLiteral("E8B7BE43"));
}

TEST(RoomSheet, WorkedExamplePdfNamesEveryButtonModelTimerAndCrc) {
    ONDREL_SKIP_WITHOUT_PDFTOTEXT();
    QTemporaryDir dir;
    ProjectState state;
    setUpWorkedExample(state);
    state.updateButton(1, [&](ButtonConfig& record) {
        record.setCommandString1(2, ByteList{13, 10});
    }); // custom, no list text
    // Control characters wrap between their names, never inside one.
    state.updateButton(2, [&](ButtonConfig& record) {
        record.setCommandString1(120, ByteList::fromBytes(QByteArray(120, '\0')));
    });
    const QString qcd = dir.filePath(QStringLiteral("Room 101.qcd"));
    ASSERT_TRUE(saveQcd(state, qcd).ok());
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    const CliRun run = cli({QStringLiteral("sheet"), qcd, QStringLiteral("-o"), pdf});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const QByteArray image = BuildConfigImage(state).value().bytes;
    const QString crc = crc32Text(crc32(image));
    EXPECT_TRUE(run.out.contains(crc)) << run.out.toStdString();
    const QString text = pdfText(pdf);
    QStringList wanted = defaultLabelCaptions();
    wanted << "Room sheet: Room 101"
           << "Maker A"
           << "Model 1"
           << "9600 baud"
           << "ASCII"
           << "1:30 (90 minutes)"
           << "<STX>P<ETX>"
           << "Custom"
           << "<CR><LF>"
           << "None" << QStringLiteral("%1 bytes, CRC-32 %2").arg(image.size()).arg(crc);
    for (const QString& w : wanted)
        EXPECT_TRUE(text.contains(w)) << w.toStdString() << "\n" << text.toStdString();
    EXPECT_EQ(text.count("<NUL>"), 120);
    for (int button = 1; button <= 10; ++button)
        EXPECT_TRUE(
            text.contains(QRegularExpression(QStringLiteral("(^|\\n)\\s*%1\\s").arg(button))))
            << button;
}

// Device #1 is always shown; device #2 when the second projector is on or it has a model.
TEST(RoomSheet, DeviceRowsShowTheDevicesInUse) {
    const QStringList one{"#1, control port one", "Maker A", "Model 1",
                          "9600 baud, parity NONE, 8 data bits, 1 stop bit(s)", "ASCII"};
    const QStringList unused{"#2, control port two", "Not used", "-", "-", "-"};
    const QStringList bare{"#2, control port two", "-", "-", "Not set", "Decimal"};
    const QStringList named{"#2, control port two", "Maker B", "Model 2", "Not set", "Decimal"};
    for (const auto& [worked, second, model, row2] :
         {std::tuple{false, false, "", unused}, // nothing chosen: #1 alone, blank
          {true, false, "", unused},            // #1 only
          {false, true, "", bare},              // #2 only, no model
          {true, true, "Model 2", named},       // both
          {false, false, "Model 2", named}}) {  // #2 with a model but switched off
        ProjectState state;
        if (worked)
            setUpWorkedExample(state);
        state.setSecondProjectorEnabled(second);
        state.setDeviceNames(1, *model ? "Maker B" : "", model);
        const QList<QStringList> rows = buildRoomSheet(state, "r.qcd", QDate()).tables[0].rows;
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows[0],
                  worked ? one
                         : QStringList({"#1, control port one", "-", "-", "Not set", "Decimal"}));
        EXPECT_EQ(rows[1], row2) << worked << second << model;
    }
}

// A command cell in the port's notation: in text, control bytes by name and the blank and the
// tilde as themselves, at both ends of the printable range.
TEST(RoomSheet, CommandBytesInEachNotation) {
    const ByteList bytes{0x1F, 0x20, 0x41, 0x7E, 0x7F, 0x0D};
    for (const auto& [form, expected] : {std::pair{1, "<US> A~<DEL><CR>"},
                                         {0, " 31 32 65 126 127 13"},
                                         {2, " 1FH 20H 41H 7EH 7FH 0DH"}})
        EXPECT_EQ(sheetBytesText(bytes, Value(form)), expected) << form;
    EXPECT_EQ(sheetBytesText(ByteList(), Value(1)), "None");
}

TEST(RoomSheet, LongCustomStringsContinueOnTheNextPageWithoutCuttingARow) {
    ONDREL_SKIP_WITHOUT_PDFTOTEXT();
    QTemporaryDir dir;
    ProjectState state;
    setUpWorkedExample(state);
    for (int b = 0; b < kButtonCount; ++b) {
        QByteArray bytes = QStringLiteral("b%1start ").arg(b).toLatin1();
        while (bytes.size() < 110)
            bytes += "word ";
        bytes += QStringLiteral("b%1end").arg(b).toLatin1();
        state.updateButton(b, [&](ButtonConfig& record) {
            record.setCommandString1(0, ByteList::fromBytes(bytes));
        });
        state.updateButton(b, [&](ButtonConfig& record) {
            record.setCommandString1_2(0, ByteList::fromBytes(bytes));
        });
        state.updateButton(b, [&](ButtonConfig& record) { record.setDualFunction(); });
    }
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    const Result<int> pages = writeRoomSheetPdf(
        buildRoomSheet(state, QStringLiteral("long.qcd"), QDate(2026, 1, 2)), pdf);
    ASSERT_TRUE(pages.ok());
    ASSERT_GE(pages.value(), 2);
    QStringList pageTexts;
    for (int page = 1; page <= pages.value(); ++page)
        pageTexts << pdfText(pdf, page);
    for (int b = 0; b < kButtonCount; ++b) {
        // A row's two strings (both functions), start to end, on one page and on no other.
        QStringList counts;
        for (const QString& text : pageTexts)
            counts << QStringLiteral("%1/%2")
                          .arg(text.count(QStringLiteral("b%1start").arg(b)))
                          .arg(text.count(QStringLiteral("b%1end").arg(b)));
        EXPECT_EQ(counts.count(QStringLiteral("2/2")), 1) << b << counts.join(' ').toStdString();
        EXPECT_EQ(counts.count(QStringLiteral("0/0")), pages.value() - 1) << b;
    }
    EXPECT_TRUE(pdfText(pdf, 2).contains(QStringLiteral("Buttons (continued)")));
}

TEST(History, RecordsReadBackWholeAndABrokenLastLineIsSkipped) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.csv"));
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(appendHistory(record(n), path).ok());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray whole = file.readAll();
    EXPECT_TRUE(whole.startsWith(QByteArray(kHistoryHeader) + '\n'));
    // A last record whole but for its line feed may still be cut short: skipped too.
    EXPECT_EQ(parseHistory(whole.chopped(1)).records.size(), 2);
    file.resize(whole.size() - 20); // a crash in the middle of the third record
    file.close();

    HistoryContents read = readHistory(path).value();
    ASSERT_EQ(read.records.size(), 2);
    EXPECT_EQ(read.skipped, 1);
    EXPECT_EQ(read.records[1].file, record(2).file);
    EXPECT_EQ(read.records[1].failure, QStringLiteral("line one line two, with a comma"));
    EXPECT_EQ(read.records[1].crc, crc32Text(crc32(QByteArray(108, char(2)))));
    EXPECT_EQ(read.records[1].durationMs, 1200);

    // The next append ends the broken line first instead of joining it.
    ASSERT_TRUE(appendHistory(record(4), path).ok());
    read = readHistory(path).value();
    ASSERT_EQ(read.records.size(), 3);
    EXPECT_EQ(read.records[2].packets, 4);
    EXPECT_EQ(read.skipped, 1);

    // What cannot be written or read is said with the file's name.
    const QString blocked = QDir::toNativeSeparators(path + "/sub/h.csv");
    EXPECT_EQ(appendHistory(record(5), blocked).error().message,
              "cannot add to the programming history " + blocked +
                  ": the folder cannot be created");
    EXPECT_TRUE(readHistory(dir.path())
                    .error()
                    .message.startsWith("cannot read the programming history " +
                                        QDir::toNativeSeparators(dir.path()) + ": "));
}

// Run as a program of its own by the test below.
TEST(History, ChildAppends) {
    const QString path = qEnvironmentVariable("ONDREL_HISTORY_CHILD");
    if (path.isEmpty())
        GTEST_SKIP() << "started by TwoProgramsAppendingAtOnceLeaveEveryRecordWhole";
    for (int n = 0; n < 200; ++n)
        ASSERT_TRUE(appendHistory(record(n), path).ok());
}

TEST(History, TwoProgramsAppendingAtOnceLeaveEveryRecordWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.csv"));
    QProcess children[2];
    for (QProcess& child : children) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ONDREL_HISTORY_CHILD"), path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=History.ChildAppends")});
    }
    for (QProcess& child : children) {
        ASSERT_TRUE(child.waitForFinished(120000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    }
    const HistoryContents read = readHistory(path).value();
    EXPECT_EQ(read.records.size(), 400);
    EXPECT_EQ(read.skipped, 0);
    EXPECT_EQ(readFile(path).count(kHistoryHeader), 1);
}
