#include "panel_core.h"
#include "platform/qt_serial_line.h"
#include "programming/programming.h"
#include "serial/memory_line.h"
#include "support/virtual_panel.h"

#include <QRegularExpression>
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
        test::writeProgramFolder(path(), firmwareWords, 0, factory);
    }
    QString path() const { return dir_.path(); }

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

QByteArray firmwareWordsOf(const PanelMemory& memory, int words) {
    return memory.read(0, words * 2);
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

    const PanelMemory memory = panel.memory();
    EXPECT_EQ(memory.read(kConfigWordAddress, kConfigCapacity), image);
    EXPECT_EQ(firmwareWordsOf(memory, 64), test::generatedFirmwareBytes(64));
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

    const PanelMemory memory = panel.memory();
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
    EXPECT_EQ(panel.memory().writtenCount(), 0);
}

TEST(Programming, AFailedUpdateSaysFailureForARefusedLineAndErrorForALineThatBroke) {
    ProgramFolder folder(16);
    ProgrammingOptions options = fastOptions();
    options.blockTimeoutMs = 100;
    for (const bool refused : {true, false}) {
        panel::Faults faults;
        faults.dropAlways = refused;
        faults.closeAfter = refused ? -1 : 1;
        panel::VirtualLoader loader(faults);
        MemoryLine line(loader);
        ProgrammingResult result = UpdateFirmware(line, firmwareFilePath(folder.path()), options);
        EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Failed);
        ASSERT_EQ(result.messages.size(), 1);
        EXPECT_EQ(result.messages[0].title,
                  refused ? QStringLiteral("Failure") : QStringLiteral("Error"));
        EXPECT_EQ(result.messages[0].text == QStringLiteral("Firmware Failed to Load"), refused);
        EXPECT_FALSE(result.detail.isEmpty());
        EXPECT_FALSE(line.isOpen());
    }
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

// The loader's answers carry no sequence number. Whatever the line does to packets and answers,
// each procedure ends with the panel holding exactly what was sent and success, or with a failure
// naming the block that is missing; never success with the memory wrong. The panel plays in
// memory on the line's own clock, so late answers and time-outs cost no real time.
namespace {

enum class Procedure { Upload, Restore, Firmware };
constexpr int kT = 100; // block time-out, ms; the late window is twice that

struct LineFault {
    const char* name;
    void (*set)(panel::Faults&);
    bool succeeds;
    const char* mentions = ""; // in the failure text
    bool oneByteAtATime = false;
    int wordsPerLine = 8; // of the firmware: 1 makes packets of 2 data bytes
};

// Every answer repeated `gapMs` after the first, and packet `lost` lost (12: an image block
// after 8 firmware lines).
template <int gapMs, int lost = 5> void repeatsThenLoss(panel::Faults& f) {
    f.duplicateRate = 1, f.duplicateGapUs = gapMs * 1000, f.lose = {lost};
}
// Packet `n` answered only when its resend (n + 1) starts, that one only when the next block's
// packet (n + 2, lost) starts: each `holdMs` after the start. With `gapMs`, every answer
// repeated too.
template <int holdMs, int gapMs = 0, int n = 2> void heldThenLoss(panel::Faults& f) {
    f.hold = {n, n + 1}, f.holdMinUs = f.holdMaxUs = holdMs * 1000, f.lose = {n + 2};
    f.duplicateRate = gapMs > 0 ? 1 : 0, f.duplicateGapUs = gapMs * 1000;
}

const LineFault kLineFaults[] = {
    {"LateAnswerThenLostPacket",
     [](panel::Faults& f) {
         f.late = {1}, f.lateMinUs = f.lateMaxUs = 1700 * kT, f.lose = {3}, f.writeTimeUs = 5000;
     },
     true},
    // A busy panel: packet 2 answered late and twice, its resend (3) answered after it, packet
    // 4 lost. The repeat must not be taken for the resend's answer.
    {"LateRepeatedAnswerThenLostPacket",
     [](panel::Faults& f) {
         f.slowUs = 2120 * kT, f.late = {2}, f.lateMinUs = f.lateMaxUs = 2000 * kT;
         f.duplicate = {2}, f.lose = {4};
     },
     true},
    // The repeat comes 1 ms after the answer: after a next packet sent at once.
    {"DuplicateAnswersThenLostPacket",
     [](panel::Faults& f) { f.duplicateRate = 1, f.duplicateGapUs = 1000, f.lose = {3}; }, true},
    {"RepeatsAt3ms", repeatsThenLoss<3>, true, "", false, 1},
    {"RepeatsAt5ms", repeatsThenLoss<5>, true, "", false, 1},
    {"RepeatsAt8ms", repeatsThenLoss<8>, true, "", false, 1},
    {"RepeatsAt10ms", repeatsThenLoss<10>, true, "", false, 1},
    {"RepeatsAt10msImage", repeatsThenLoss<10, 12>, true},
    {"HeldAnswer0ms", heldThenLoss<0>, true},
    {"HeldAnswer5ms", heldThenLoss<5>, true, "", false, 1},
    {"HeldAnswer10ms", heldThenLoss<10>, true},
    {"HeldAnswer15ms", heldThenLoss<15>, true, "", false, 1},
    {"HeldAnswer30ms", heldThenLoss<30>, true},
    {"HeldAnswer5msImage", heldThenLoss<5, 0, 10>, true},
    {"HeldAnswer15msImage", heldThenLoss<15, 0, 10>, true},
    {"HeldAndRepeated0ms", heldThenLoss<0, 10>, true, "", false, 1},
    {"HeldAndRepeated5ms", heldThenLoss<5, 3>, true},
    {"HeldAndRepeated15ms", heldThenLoss<15, 8>, true, "", false, 1},
    {"HeldAndRepeated30ms", heldThenLoss<30, 10>, true},
    {"HeldAndRepeated10msImage", heldThenLoss<10, 5, 10>, true},
    // Packet 2 answered at about 3.05 time-outs, its resend (3, sent at 3) at about 6.16.
    {"FirstAnswerAfterTheResend",
     [](panel::Faults& f) {
         f.lateByUs = {{2, 293 * kT * 10}, {3, 305 * kT * 10}}, f.lose = {4};
     },
     true},
    // Answers sooner than the packet could have arrived cannot be told from answers owed to
    // earlier packets: never a success built on them.
    {"EarlyAnswers", [](panel::Faults& f) { f.earlyRate = 1, f.lose = {3}; }, false},
    {"NoWireTime", [](panel::Faults& f) { f.byteTimeUs = 0, f.lose = {3}; }, false},
    {"ReadyChatter", [](panel::Faults& f) { f.readyChatterUs = 3000; }, true},
    {"Echo", [](panel::Faults& f) { f.echo = true, f.drop = {2}; }, true, "", true},
    {"AllAtOnce",
     [](panel::Faults& f) {
         f.echo = true, f.duplicateRate = 0.3, f.duplicateGapMaxUs = 10000;
         f.readyChatterUs = 5000;
         f.late = {1, 4}, f.lateMinUs = 1600 * kT, f.lateMaxUs = 2500 * kT, f.lose = {3, 7};
     },
     true, "", true},
    {"SlowWithinTheLateWindow", [](panel::Faults& f) { f.slowUs = 2000 * kT; }, true},
    {"SlowerThanTheLateWindow", [](panel::Faults& f) { f.slowUs = 4000 * kT; }, false,
     "within 300 ms"},
    {"FarSlowerThanTheLateWindow", [](panel::Faults& f) { f.slowUs = 7200 * kT; }, false,
     "acknowledge"},
    {"StrayBytes",
     [](panel::Faults& f) {
         f.stray = {2, 4};
     },
     true},
    {"GarbledAnswer", [](panel::Faults& f) { f.garble = {2}; }, true},
    {"BlockNeverAcknowledged",
     [](panel::Faults& f) {
         f.dropWords = {0x1610, 0x0010};
     },
     false, "0x"},
    {"StopsAnswering", [](panel::Faults& f) { f.stopAfter = 5; }, false, "acknowledge"},
};

void PrintTo(const LineFault& fault, std::ostream* out) {
    *out << fault.name;
}

// Runs `procedure` against the faulty line; the firmware is 8 lines of 8 words, the upload's
// image 200 bytes (13 blocks), the restore's 4097 (257 blocks).
struct MemoryRun {
    ProgrammingResult result;
    PanelMemory memory;
    QByteArray image;
};

MemoryRun runInMemory(Procedure procedure, const panel::Faults& faults, bool oneByte,
                      int wordsPerLine = 8) {
    QTemporaryDir folder;
    test::writeProgramFolder(folder.path(), 64, 0, "1,2,3,#", wordsPerLine);
    panel::VirtualLoader loader(faults);
    MemoryLine line(loader, oneByte);
    ProgrammingOptions options;
    options.blockTimeoutMs = kT;
    options.pollIntervalMs = 20;
    options.handshakeTimeoutMs = 2000;
    MemoryRun run;
    run.image = fullImage().left(200);
    if (procedure == Procedure::Upload) {
        run.result = UploadConfiguration(line, run.image, folder.path(), options);
    } else if (procedure == Procedure::Restore) {
        run.image = QByteArray(kConfigCapacity, '\0');
        run.image[0] = 1, run.image[1] = 2, run.image[2] = 3;
        run.result = RestoreFactorySetup(line, folder.path(), options);
    } else {
        run.image.clear();
        run.result = UpdateFirmware(line, firmwareFilePath(folder.path()), options);
    }
    EXPECT_FALSE(line.isOpen());
    run.memory = loader.memory();
    return run;
}

// Success only with the memory exact; a failure names a block no later than the first missing.
void expectHonest(const MemoryRun& run) {
    const QByteArray firmware = firmwareWordsOf(run.memory, 64);
    const QByteArray table = run.memory.read(kConfigWordAddress, int(run.image.size()));
    if (run.result.succeeded()) {
        EXPECT_EQ(firmware, test::generatedFirmwareBytes(64));
        EXPECT_EQ(table, run.image);
        return;
    }
    EXPECT_FALSE(mentions(run.result, QStringLiteral("Upload Complete.")));
    EXPECT_FALSE(mentions(run.result, QStringLiteral("New firmware was successfully loaded")));
    const bool firmwareOk = firmware == test::generatedFirmwareBytes(64);
    const QByteArray expected = firmwareOk ? run.image : test::generatedFirmwareBytes(64);
    const QByteArray got = firmwareOk ? table : firmware;
    int i = 0;
    while (i < expected.size() && expected.mid(i, 16) == got.mid(i, 16))
        i += 16;
    const quint32 missing = (firmwareOk ? kConfigWordAddress : 0) + quint32(i / 2);
    quint32 named = 0x10000;
    static const QRegularExpression word(QStringLiteral("0x([0-9A-Fa-f]{4})"));
    for (const QRegularExpressionMatch& m : word.globalMatch(run.result.detail))
        named = std::min(named, m.captured(1).toUInt(nullptr, 16));
    if (i < expected.size()) {
        EXPECT_LE(named, missing) << run.result.detail.toStdString();
    }
}

class AnswersMatched : public ::testing::TestWithParam<std::tuple<Procedure, LineFault>> {};

} // namespace

TEST_P(AnswersMatched, SuccessOnlyWithTheMemoryExact) {
    const auto& [procedure, fault] = GetParam();
    panel::Faults faults;
    fault.set(faults);
    const MemoryRun run = runInMemory(procedure, faults, fault.oneByteAtATime, fault.wordsPerLine);
    expectHonest(run);
    EXPECT_EQ(run.result.succeeded(), fault.succeeds) << run.result.detail.toStdString();
    EXPECT_TRUE(run.result.detail.contains(QLatin1String(fault.mentions)))
        << run.result.detail.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, AnswersMatched,
    ::testing::Combine(::testing::Values(Procedure::Upload, Procedure::Restore,
                                         Procedure::Firmware),
                       ::testing::ValuesIn(kLineFaults)),
    [](const ::testing::TestParamInfo<std::tuple<Procedure, LineFault>>& test) {
        const Procedure p = std::get<0>(test.param);
        return std::string(p == Procedure::Upload    ? "Upload"
                           : p == Procedure::Restore ? "Restore"
                                                     : "Firmware") +
               "_" + std::get<1>(test.param).name;
    });

// A flaky line as met in the field: 3 % of answers 1.6 to 2.5 time-outs late, 1 % of packets and
// of answers lost, some answers twice, some held until the next packet. Many seeds, never a
// false success.
TEST(AnswersMatched, FlakyLineNeverGivesAFalseSuccess) {
    for (quint32 seed = 1; seed <= 12; ++seed) {
        panel::Faults f;
        f.seed = seed, f.lateRate = 0.03, f.lateMinUs = 1600 * kT, f.lateMaxUs = 2500 * kT;
        f.loseRate = 0.01, f.dropRate = 0.01, f.duplicateRate = 0.05, f.duplicateGapMaxUs = 10000;
        f.holdRate = 0.02, f.holdMaxUs = 30000;
        expectHonest(runInMemory(Procedure::Restore, f, seed % 2 == 0));
    }
}
