#include "panel_core.h"
#include "platform/qt_serial_line.h"
#include "programming/factory_data.h"
#include "programming/hex_generator.h"
#include "programming/programming.h"
#include "support/virtual_panel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

using namespace ondrel;
using ondrel::panel::PanelMemory;
using ondrel::test::VirtualPanel;

namespace {

constexpr int kFirmwareWords = 8; // one data line: packet 1 is firmware, 2 on the image

// A program folder with the version-named firmware and a factory file, as beside the program.
class ProgramFolder {
public:
    explicit ProgramFolder(int firmwareWords = kFirmwareWords,
                           const QByteArray& factory = "1,2,3,#") {
        QDir(dir_.path()).mkpath(QStringLiteral("firmware"));
        write(firmwareFilePath(path()), generateFirmwareHex(firmwareWords).toLatin1());
        write(path() + QStringLiteral("/default.dat"), factory);
    }
    QString path() const { return dir_.path(); }
    static void write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private:
    QTemporaryDir dir_;
};

// The panel answers at once, so a generous block time-out costs nothing unless a test makes
// blocks fail; it keeps a loaded machine from causing resends.
ProgrammingOptions fastOptions() {
    ProgrammingOptions options;
    options.blockTimeoutMs = 1000;
    options.pollIntervalMs = 20;
    options.handshakeTimeoutMs = 3000;
    return options;
}

QByteArray fullImage() {
    QByteArray image(kConfigCapacity, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 37 + 11) & 0xFF);
    return image;
}

PanelMemory memoryOf(VirtualPanel& panel) {
    panel.stop();
    Result<PanelMemory> memory = PanelMemory::parseDump(panel.dump());
    EXPECT_TRUE(memory.ok());
    return memory.ok() ? memory.value() : PanelMemory();
}

QByteArray firmwareWordsOf(const PanelMemory& memory, int words) {
    return memory.read(0, words * 2);
}

QByteArray expectedFirmware(int words) {
    QByteArray bytes;
    for (int i = 0; i < words; ++i) {
        const quint16 word = generatedFirmwareWord(quint32(i));
        bytes.append(char(word >> 8)).append(char(word & 0xFF));
    }
    return bytes;
}

// A machine loaded enough to hold the panel back past a time-out causes a resend or two; a
// procedure that sends every block twice does not pass.
void expectPackets(const ProgrammingResult& result, int expected) {
    EXPECT_GE(result.packetsSent, expected);
    EXPECT_LE(result.packetsSent, expected + 3);
}

bool mentions(const ProgrammingResult& result, const QString& text) {
    for (const UserMessage& message : result.messages)
        if (message.text == text)
            return true;
    return false;
}

} // namespace

TEST(Programming, UploadLeavesThePanelHoldingFirmwareAndImage) {
    VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder(64);
    QtSerialLine line(panel.path());
    QList<ProgrammingStage> stages;
    int lastValue = -1, lastMaximum = -1;
    ProgrammingOptions options = fastOptions();
    options.stage = [&](ProgrammingStage s) { stages << s; };
    options.progress = [&](const QString& caption, int value, int maximum) {
        if (caption == QLatin1String(kProgrammingCaption))
            lastValue = value, lastMaximum = maximum;
    };

    const QByteArray image = fullImage();
    ProgrammingResult result = UploadConfiguration(line, image, folder.path(), options);
    ASSERT_TRUE(result.succeeded()) << result.detail.toStdString();
    ASSERT_EQ(result.messages.size(), 1);
    EXPECT_EQ(result.messages[0].text, QStringLiteral("Upload Complete."));
    EXPECT_EQ(result.messages[0].title, QStringLiteral("Programming Complete"));
    expectPackets(result, 8 + 257); // 64 words in 8 lines, then 257 blocks
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(lastValue, kConfigCapacity);
    EXPECT_EQ(lastMaximum, kConfigCapacity);
    EXPECT_EQ(stages, (QList<ProgrammingStage>{
                          ProgrammingStage::WaitingForReset, ProgrammingStage::LoadingFirmware,
                          ProgrammingStage::WritingBlocks, ProgrammingStage::Finished}));

    const PanelMemory memory = memoryOf(panel);
    EXPECT_EQ(memory.read(kConfigWordAddress, kConfigCapacity), image);
    EXPECT_EQ(firmwareWordsOf(memory, 64), expectedFirmware(64));
    EXPECT_EQ(memory.writtenCount(), kConfigCapacity + 128);
}

TEST(Programming, RestoreWritesAll4097FactoryBytes) {
    VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder(kFirmwareWords, "1,2,3,#");
    QtSerialLine line(panel.path());
    ProgrammingResult result = RestoreFactorySetup(line, folder.path(), fastOptions());
    ASSERT_TRUE(result.succeeded()) << result.detail.toStdString();
    EXPECT_EQ(result.messages[0].text, QStringLiteral("Upload Complete."));
    expectPackets(result, 1 + 257);
    EXPECT_FALSE(line.isOpen());

    const PanelMemory memory = memoryOf(panel);
    QByteArray expected(kConfigCapacity, '\0');
    expected[0] = 1, expected[1] = 2, expected[2] = 3;
    EXPECT_EQ(memory.read(kConfigWordAddress, kConfigCapacity), expected);
    // The last block is one byte at word 0x1E00: its high byte only.
    EXPECT_TRUE(memory.isWritten(0x1E00 * 2));
    EXPECT_FALSE(memory.isWritten(0x1E00 * 2 + 1));
}

TEST(Programming, RestoreRefusesABadFactoryFileBeforeTouchingThePort) {
    VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder(kFirmwareWords, "1,2,x3,#");
    QtSerialLine line(panel.path());
    ProgrammingResult result = RestoreFactorySetup(line, folder.path(), fastOptions());
    EXPECT_FALSE(result.succeeded());
    ASSERT_EQ(result.messages.size(), 1);
    EXPECT_EQ(result.messages[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(result.messages[0].text.contains(QStringLiteral("number 3")))
        << result.messages[0].text.toStdString();
    EXPECT_EQ(result.packetsSent, 0);
    EXPECT_EQ(memoryOf(panel).writtenCount(), 0);
}

TEST(Programming, FirmwareUpdateLoadsTheChosenFile) {
    VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    const QString file = folder.path() + QStringLiteral("/firmware/NEW.HEX");
    ProgramFolder::write(file, generateFirmwareHex(100, 0x100).toLatin1());
    QtSerialLine line(panel.path());
    ProgrammingResult result = UpdateFirmware(line, file, fastOptions());
    ASSERT_TRUE(result.succeeded()) << result.detail.toStdString();
    ASSERT_EQ(result.messages.size(), 1);
    EXPECT_EQ(result.messages[0].text, QStringLiteral("New firmware was successfully loaded"));
    EXPECT_EQ(result.messages[0].title, QStringLiteral("Upload Complete"));
    expectPackets(result, 13);
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(memoryOf(panel).read(0x100, 200), expectedFirmware(100));
}

TEST(Programming, AFailedUpdateSaysFailureForARefusedLineAndErrorForALineThatBroke) {
    ProgramFolder folder(16);
    ProgrammingOptions options = fastOptions();
    options.blockTimeoutMs = 100;
    for (const char* fault : {"--drop-always", "--close-after"}) {
        QStringList arguments{QString::fromLatin1(fault)};
        if (arguments[0] == QLatin1String("--close-after"))
            arguments << QStringLiteral("1");
        VirtualPanel panel(arguments);
        ASSERT_TRUE(panel.ok());
        QtSerialLine line(panel.path());
        ProgrammingResult result = UpdateFirmware(line, firmwareFilePath(folder.path()), options);
        EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Failed);
        ASSERT_EQ(result.messages.size(), 1);
        const bool refused = arguments[0] == QLatin1String("--drop-always");
        EXPECT_EQ(result.messages[0].title,
                  refused ? QStringLiteral("Failure") : QStringLiteral("Error"));
        EXPECT_EQ(result.messages[0].text == QStringLiteral("Firmware Failed to Load"), refused);
        EXPECT_FALSE(result.detail.isEmpty());
        EXPECT_FALSE(line.isOpen());
    }
}

TEST(Programming, FirmwareOfOnlyTheEndRecordLoadsWithoutAPacket) {
    VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    const QString file = folder.path() + QStringLiteral("/firmware/EMPTY.HEX");
    ProgramFolder::write(file, ":00000001FF\r\n");
    QtSerialLine line(panel.path());
    ProgrammingResult result = UpdateFirmware(line, file, fastOptions());
    ASSERT_TRUE(result.succeeded()) << result.detail.toStdString();
    EXPECT_EQ(result.messages[0].text, QStringLiteral("New firmware was successfully loaded"));
    EXPECT_EQ(result.packetsSent, 0);
}

TEST(Programming, FirmwareWithAReservedAddressSendsNothing) {
    VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    const QString file = folder.path() + QStringLiteral("/firmware/BAD.HEX");
    // A data line at byte address 400E (word 0x2007), after a good one.
    ProgramFolder::write(file, ":0400000001020304F2\r\n:02400E000102AD\r\n:00000001FF\r\n");
    QtSerialLine line(panel.path());
    ProgrammingResult result = UpdateFirmware(line, file, fastOptions());
    EXPECT_FALSE(result.succeeded());
    ASSERT_EQ(result.messages.size(), 2);
    EXPECT_EQ(result.messages[0].text, QStringLiteral("Invalid address range"));
    EXPECT_EQ(result.messages[1].text, QStringLiteral("Firmware Failed to Load"));
    EXPECT_EQ(result.messages[1].title, QStringLiteral("Failure"));
    EXPECT_TRUE(result.detail.contains(QStringLiteral("line 2"))) << result.detail.toStdString();
    EXPECT_EQ(result.packetsSent, 0);
    EXPECT_EQ(memoryOf(panel).writtenCount(), 0);
}

TEST(Programming, EscAtTheResetPromptSendsNothingAndClosesTheLine) {
    VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("100000")});
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    std::atomic<bool> cancel{false};
    ProgrammingOptions options = fastOptions();
    options.handshakeTimeoutMs = 0; // only Esc ends the wait
    options.cancel = &cancel;
    options.stage = [&](ProgrammingStage stage) {
        if (stage == ProgrammingStage::WaitingForReset)
            std::thread([&cancel] {
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                cancel = true;
            }).detach();
    };
    for (bool update : {false, true}) {
        cancel = false;
        QtSerialLine line(panel.path());
        ProgrammingResult result =
            update ? UpdateFirmware(line, firmwareFilePath(folder.path()), options)
                   : UploadConfiguration(line, fullImage(), folder.path(), options);
        EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Cancelled);
        if (update) {
            ASSERT_EQ(result.messages.size(), 1);
            EXPECT_EQ(result.messages[0].text, QStringLiteral("Firmware Failed to Load"));
        } else {
            EXPECT_TRUE(result.messages.isEmpty());
        }
        EXPECT_EQ(result.packetsSent, 0);
        EXPECT_FALSE(line.isOpen());
    }
    EXPECT_EQ(memoryOf(panel).writtenCount(), 0);
}

TEST(Programming, APanelThatNeverAnswersTheResetEndsAfterTheTimeOut) {
    VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("100000")});
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    QtSerialLine line(panel.path());
    ProgrammingOptions options = fastOptions();
    options.handshakeTimeoutMs = 300;
    ProgrammingResult result = RestoreFactorySetup(line, folder.path(), options);
    EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Failed);
    ASSERT_EQ(result.messages.size(), 1);
    EXPECT_EQ(result.messages[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(result.detail.contains(QStringLiteral("did not answer")));
    EXPECT_FALSE(line.isOpen());
}

TEST(Programming, OnlyOneProcedureRunsAtATime) {
    VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("100000")});
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    std::atomic<bool> cancel{false};
    std::atomic<bool> waiting{false};
    ProgrammingOptions options = fastOptions();
    options.handshakeTimeoutMs = 0;
    options.cancel = &cancel;
    options.stage = [&](ProgrammingStage) { waiting = true; };
    QtSerialLine line(panel.path());
    ProgrammingResult first;
    std::unique_ptr<QThread> worker(QThread::create(
        [&] { first = UploadConfiguration(line, fullImage(), folder.path(), options); }));
    worker->start();
    while (!waiting)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(programmingInProgress());
    QtSerialLine other(panel.path());
    ProgrammingResult second = RestoreFactorySetup(other, folder.path(), fastOptions());
    EXPECT_FALSE(second.succeeded());
    EXPECT_TRUE(second.detail.contains(QStringLiteral("Another programming procedure")));
    cancel = true;
    worker->wait();
    EXPECT_EQ(first.outcome, ProgrammingResult::Outcome::Cancelled);
    EXPECT_FALSE(programmingInProgress());
}

// Packet 1 is the firmware line; packets 2 to 14 carry the image (resends shift the count).
// Faults that only end a run are in the fault matrix; these check what the panel holds after a
// resend and which blocks a failure names.
struct Fault {
    const char* name;
    QStringList arguments;
    bool recovers;          // the resend gets the block through
    QString detailMentions; // part of the failure text
    int resends = 0;
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

class FaultyPanel : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultyPanel, EndsClearlyNeverHangsNeverReportsSuccessWrongly) {
    const Fault& fault = GetParam();
    VirtualPanel panel(fault.arguments);
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    QtSerialLine line(panel.path());
    const QByteArray image = fullImage().left(200);
    ProgrammingOptions options = fastOptions();
    options.blockTimeoutMs = fault.recovers ? 400 : 120;
    ProgrammingResult result = UploadConfiguration(line, image, folder.path(), options);
    EXPECT_FALSE(line.isOpen());
    if (fault.recovers) {
        ASSERT_TRUE(result.succeeded()) << result.detail.toStdString();
        expectPackets(result, 1 + 13 + fault.resends);
        EXPECT_EQ(memoryOf(panel).read(kConfigWordAddress, image.size()), image);
        return;
    }
    EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Failed);
    EXPECT_FALSE(mentions(result, QStringLiteral("Upload Complete.")));
    ASSERT_FALSE(result.messages.isEmpty());
    EXPECT_EQ(result.messages.back().title, QStringLiteral("Error"));
    EXPECT_TRUE(result.detail.contains(fault.detailMentions)) << result.detail.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyPanel,
    ::testing::Values(Fault{"DroppedAnswer", {"--drop", "3"}, true, {}, 1},
                      Fault{"GarbledAnswer", {"--garble", "2"}, true, {}, 1},
                      Fault{"StrayBytes", {"--stray", "4"}, true, {}, 1},
                      Fault{"SlowAnswers", {"--slow", "40"}, true, {}, 0},
                      // The third image block (word 0x1610) is refused on all three tries.
                      Fault{"BlockNeverAcknowledged", {"--drop", "4,5,6"}, false, "0x1610"},
                      Fault{"StopsAnswering", {"--stop-after", "5"}, false, "stopped answering"}),
    [](const ::testing::TestParamInfo<Fault>& test) { return std::string(test.param.name); });
