#include "panel_core.h"

#include "support/test_support.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::panel;

TEST(PanelPacketReader, ReadsPollsPacketsAndStrayBytes) {
    PacketReader reader;
    // The write packet of data 01 02 at word 0x1600, cut in two as a line may deliver it.
    std::vector<LoaderEvent> events = readEvents(reader, QByteArray::fromHex("EA0055E3160002"));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, LoaderEvent::Kind::Poll);
    EXPECT_EQ(events[1].kind, LoaderEvent::Kind::Stray);
    EXPECT_EQ(events[2].byte, 0x55);
    EXPECT_TRUE(reader.inPacket());
    events = readEvents(reader, QByteArray::fromHex("030102E300010302FF02"));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, LoaderEvent::Kind::Packet);
    EXPECT_EQ(events[0].wordAddress, 0x1600);
    EXPECT_EQ(events[0].data, QByteArray::fromHex("0102"));
    EXPECT_TRUE(events[0].checksumOk);
    // A 3-byte packet whose third byte is still to come: a poll byte then counts as data.
    EXPECT_TRUE(reader.inPacket());
    events = readEvents(reader, QByteArray::fromHex("EA"));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data, QByteArray::fromHex("FF02EA"));
    EXPECT_FALSE(events[0].checksumOk);
}

TEST(PanelMemory, DumpShowsWrittenRunsAndReadsBack) {
    PanelMemory memory;
    memory.write(0x1600, QByteArray::fromHex("000100010000012C"));
    memory.write(0x1E00, QByteArray::fromHex("AB"));
    EXPECT_EQ(memory.dump(), QStringLiteral("1600: 00 01 00 01 00 00 01 2C\n1E00: AB\n"));
    auto back = PanelMemory::parseDump(memory.dump());
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.value().read(0x1600, 8), QByteArray::fromHex("000100010000012C"));
    EXPECT_TRUE(back.value().isWritten(0x1E00 * 2));
    EXPECT_FALSE(back.value().isWritten(0x1E00 * 2 + 1));
    EXPECT_FALSE(PanelMemory::parseDump(QStringLiteral("1600 00 01")).ok());
}

TEST(PanelMemory, DecodesTheConfigurationTable) {
    PanelMemory memory;
    QByteArray table = QByteArray::fromHex("0001 0001 0982 012C");
    // Button One: Toggle, repeating, relay one on, relay two momentary; 5 + 3 command bytes.
    table += QByteArray::fromHex("0312 0000 0000 0185 0000");
    for (int b : {1, 2, 3, 4, 5, 7, 8, 9})
        table += char(0), table += char(b);
    for (int i = 1; i < 10; ++i) // Buttons Two to Ten: an "Off" button's record at index 9
        table +=
            QByteArray::fromHex(i == 9 ? "0041 0001 01FF 0000 0000" : "0024 0000 0000 0000 0000");
    memory.write(0x1600, table);
    const QString text = decodeConfigTable(memory);
    EXPECT_TRUE(text.contains(QStringLiteral("Port one: 9600 baud, no parity (setting 2)")));
    EXPECT_TRUE(text.contains(QStringLiteral("Port two: 19200 baud, even parity (setting 19)")));
    EXPECT_TRUE(text.contains(QStringLiteral("Timer: 300 minutes")));
    EXPECT_TRUE(text.contains(QStringLiteral("Button 1: Toggle (type word 786), repeating, relay "
                                             "one on, relay two momentary")));
    EXPECT_TRUE(
        text.contains(QStringLiteral("  port one first: 1 2 3 4 5\n  port two first: 7 8 9")));
    EXPECT_TRUE(text.contains(QStringLiteral("Button 10: Off (type word 65); state 1; switches off "
                                             "buttons 1 2 3 4 5 6 7 8 9")));
    EXPECT_FALSE(text.contains(QStringLiteral("ends early")));

    PanelMemory cut;
    cut.write(0x1600, table.left(20));
    EXPECT_TRUE(decodeConfigTable(cut).contains(QStringLiteral("word 0x160a was never written")));
}

namespace {

// One poll, then the write packet of data 01 02 at word 0x1600, twice.
const QByteArray kPoll = QByteArray::fromHex("EA");
const QByteArray kPacket = QByteArray::fromHex("E3160002030102");

struct FaultRule {
    QStringList options; // without --baud: 0, so that bytes take no time
    QByteArray sent;     // the tool's bytes, all at time 0
    qint64 atUs;         // when the panel's output is taken
    QByteArray output;   // in hex, everything due by then
    int writtenBytes;
};

const FaultRule kFaultRules[] = {
    {{}, kPoll + kPacket, 0, "EBE7E4", 2},
    // At 19200 baud a byte takes 521 us: the poll's answer after 2 bytes, the packet's answer
    // after the 7 bytes of the packet and its own 2 (all sent at 0, behind the poll).
    {{"--baud", "19200"}, kPoll + kPacket, 2 * 521 - 1, "", 2},
    {{"--baud", "19200"}, kPoll + kPacket, 10 * 521 - 1, "EB", 2},
    {{"--baud", "19200"}, kPoll + kPacket, 10 * 521, "EBE7E4", 2},
    {{"--duplicate", "1", "--duplicate-ms", "3"}, kPacket, 2999, "E7E4", 2},
    {{"--duplicate", "1", "--duplicate-ms", "3"}, kPacket, 3000, "E7E4E7E4", 2},
    // A held answer leaves when the next packet starts (here at once), plus the hold time; the
    // answers behind it wait.
    {{"--hold", "1", "--hold-ms", "5"}, kPacket, 100000, "", 2},
    {{"--hold", "1", "--hold-ms", "5"}, kPacket + kPacket, 4999, "", 2},
    {{"--hold", "1", "--hold-ms", "5"}, kPacket + kPacket, 5000, "E7E4E7E4", 2},
    {{"--late", "1:7"}, kPacket, 7000, "E7E4", 2},
    {{"--drop", "1"}, kPacket + kPacket, 0, "E7E4", 2},
    {{"--lose", "1"}, kPacket, 0, "", 0},
    {{"--lose-rate", "1"}, kPacket, 0, "", 0},
    {{"--garble", "1"}, kPacket, 0, "E7E5", 2},
    {{"--duplicate", "1"}, kPacket, 0, "E7E4E7E4", 2},
    {{"--stray", "1"}, kPacket, 0, "0055E7E4", 2},
    {{"--late", "1", "--late-ms", "5"}, kPacket, 4999, "", 2},
    // A late answer holds back the answers after it: the panel answers in order.
    {{"--late", "1", "--late-ms", "5"}, kPacket + kPacket, 5000, "E7E4E7E4", 2},
    {{"--early", "1"}, kPacket.left(5), 0, "E7E4", 0},
    {{"--echo"}, kPoll + kPacket, 0, "EAEB" + kPacket.toHex().toUpper() + "E7E4", 2},
    {{"--ready-chatter", "2"}, kPoll, 2999, "EBEB", 0},
    {{"--slow", "3", "--baud", "10000"}, kPacket, 3000 + 9000 - 1, "", 2},
    {{"--stop-after", "1"}, kPacket + kPoll + kPacket, 0, "E7E4", 2},
};

class VirtualLoaderRules : public ::testing::TestWithParam<FaultRule> {};

} // namespace

TEST_P(VirtualLoaderRules, AnswerAsTheFaultsSay) {
    const FaultRule& rule = GetParam();
    QCommandLineParser parser;
    addFaultOptions(parser);
    QStringList options = rule.options;
    if (!options.contains(QStringLiteral("--baud")))
        options << QStringLiteral("--baud") << QStringLiteral("0");
    ASSERT_TRUE(parser.parse(QStringList{QStringLiteral("ondrel-panel")} + options));
    Result<Faults> faults = faultsFromOptions(parser);
    ASSERT_TRUE(faults.ok()) << faults.error().message.toStdString();
    VirtualLoader loader(faults.value());
    loader.receive(rule.sent, 0);
    EXPECT_EQ(loader.takeDue(rule.atUs).toHex().toUpper(), QByteArray(rule.output));
    EXPECT_EQ(loader.memory().writtenCount(), rule.writtenBytes);
}

INSTANTIATE_TEST_SUITE_P(Faults, VirtualLoaderRules, ::testing::ValuesIn(kFaultRules));

TEST(VirtualLoaderRules, RefusesValuesThatAreNotNumbers) {
    for (const char* bad : {"--lose-rate=2", "--late=1,x", "--late=1:x", "--late-ms=9-3",
                            "--hold-ms=30-5", "--seed=-1"}) {
        QCommandLineParser parser;
        addFaultOptions(parser);
        ASSERT_TRUE(parser.parse({QStringLiteral("ondrel-panel"), QLatin1String(bad)}));
        EXPECT_FALSE(faultsFromOptions(parser).ok()) << bad;
    }
}

// Ctrl+C, SIGTERM and SIGHUP end the panel program alike: memory written, its link gone.
TEST(PanelProgram, EndsCleanlyOnEachStopSignal) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("panel"));
        const QString dump = dir.filePath(QStringLiteral("memory.txt"));
        QProcess panel;
        panel.start(test::binDir() + QStringLiteral("/ondrel-panel"),
                    {QStringLiteral("--link"), link, QStringLiteral("--dump"), dump});
        ASSERT_TRUE(panel.waitForReadyRead(5000));
        ASSERT_TRUE(QFileInfo::exists(link));
        EXPECT_TRUE(test::signalChild(panel, signal)) << signal;
        ASSERT_TRUE(panel.waitForFinished(5000)) << signal;
        EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(panel.exitCode(), 0) << signal;
        EXPECT_FALSE(QFileInfo::exists(link)) << signal;
        EXPECT_TRUE(QFileInfo::exists(dump)) << signal;
    }
}
