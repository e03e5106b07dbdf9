// Every programming procedure against every fault the line or the panel can show, over a real
// pseudo-terminal with the virtual panel. Each case ends within its time bound, says what went
// wrong in words, never reports success it did not have, and leaves the line closed.
#include "panel_core.h"
#include "platform/qt_serial_line.h"
#include "programming/hex_generator.h"
#include "programming/programming.h"
#include "support/virtual_panel.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

#include <csignal>

using namespace ondrel;
using ondrel::test::VirtualPanel;

namespace {

enum class Procedure { Upload, Restore, Firmware };

// Two firmware lines of 8 words at word 0x0100, then (upload and restore) the image blocks.
constexpr quint32 kFirmwareWord = 0x0100;
constexpr int kFirmwareLines = 2;
constexpr int kImageBytes = 48; // upload: 3 blocks; restore always writes 257
constexpr int kBlockTimeoutMs = 100;
constexpr int kTries = 3;
// Room for a loaded machine and a sanitizer build on top of each case's own waits.
constexpr int kSlackMs = 2500;

// Honest: success with the memory exact, or a failure told in words (which one hangs on timing).
enum class Expect { Success, Cancelled, Failure, Honest };

struct Case {
    const char* name;
    QStringList panel; // ondrel-panel options
    Expect expect;
    const char* mentions; // part of the failure text (the detail)
    int waitsMs;          // the longest the procedure's own time-outs may take
    bool escAfter150ms = false;
    int handshakeTimeoutMs = 2000;
};

class ProgramFolder {
public:
    ProgramFolder() { test::writeProgramFolder(path(), 8 * kFirmwareLines, kFirmwareWord); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

const char* procedureName(Procedure p) {
    return p == Procedure::Upload ? "Upload" : p == Procedure::Restore ? "Restore" : "Firmware";
}

ProgrammingResult run(Procedure procedure, SerialLine& line, const ProgramFolder& folder,
                      const ProgrammingOptions& options) {
    switch (procedure) {
    case Procedure::Upload:
        return UploadConfiguration(line, QByteArray(kImageBytes, '\x5A'), folder.path(), options);
    case Procedure::Restore:
        return RestoreFactorySetup(line, folder.path(), options);
    case Procedure::Firmware:
        return UpdateFirmware(line, firmwareFilePath(folder.path()), options);
    }
    return {};
}

// Time for the packets that go through, generously: the restore always writes 257 blocks, and
// after a lost answer each block goes out twice until the owed answer is written off.
int transferMs(Procedure procedure) {
    constexpr int kPerPacketMs = 40;
    const int blocks = procedure == Procedure::Upload    ? (kImageBytes + 15) / 16
                       : procedure == Procedure::Restore ? 257
                                                         : 0;
    return (kFirmwareLines + blocks) * kPerPacketMs;
}

// What the panel must hold after a run that succeeded: the firmware words, then the image.
void expectExactMemory(Procedure procedure, VirtualPanel& panel) {
    const panel::PanelMemory memory = panel.memory();
    const QByteArray firmware = test::generatedFirmwareBytes(8 * kFirmwareLines);
    EXPECT_EQ(memory.read(kFirmwareWord, int(firmware.size())), firmware);
    QByteArray image =
        procedure == Procedure::Upload ? QByteArray(kImageBytes, '\x5A') : QByteArray();
    if (procedure == Procedure::Restore)
        image = QByteArray(kConfigCapacity, '\0'), image[0] = 1, image[1] = 2, image[2] = 3;
    EXPECT_EQ(memory.read(kConfigWordAddress, int(image.size())), image);
}

bool claimsSuccess(const ProgrammingResult& result) {
    for (const UserMessage& m : result.messages)
        if (m.text == QLatin1String("Upload Complete.") ||
            m.text == QLatin1String("New firmware was successfully loaded"))
            return true;
    return false;
}

void expectFailureTold(const ProgrammingResult& result, const char* mentions) {
    EXPECT_FALSE(claimsSuccess(result));
    EXPECT_TRUE(result.detail.contains(QLatin1String(mentions))) << result.detail.toStdString();
    ASSERT_FALSE(result.messages.isEmpty());
    for (const UserMessage& m : result.messages)
        EXPECT_FALSE(m.text.isEmpty());
}

void PrintTo(const Case& fault, std::ostream* out) {
    *out << fault.name;
}
void PrintTo(Procedure procedure, std::ostream* out) {
    *out << procedureName(procedure);
}

class FaultMatrix : public ::testing::TestWithParam<std::tuple<Procedure, Case>> {};

TEST_P(FaultMatrix, EndsInTimeTellsTheFailureAndClosesTheLine) {
    const auto& [procedure, fault] = GetParam();
    VirtualPanel panel(fault.panel);
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    QtSerialLine line(panel.path());

    std::atomic<bool> cancel{false};
    std::thread esc;
    ProgrammingOptions options;
    options.blockTimeoutMs = kBlockTimeoutMs;
    options.tries = kTries;
    options.pollIntervalMs = 20;
    options.handshakeTimeoutMs = fault.handshakeTimeoutMs;
    options.cancel = &cancel;
    if (fault.escAfter150ms)
        options.stage = [&](ProgrammingStage stage) {
            if (stage == ProgrammingStage::WaitingForReset)
                esc = std::thread([&cancel] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(150));
                    cancel = true;
                });
        };

    QElapsedTimer clock;
    clock.start();
    const ProgrammingResult result = run(procedure, line, folder, options);
    const qint64 took = clock.elapsed();
    if (esc.joinable())
        esc.join();

    const int bound = fault.waitsMs + transferMs(procedure) + kSlackMs;
    EXPECT_LT(took, bound) << "bound " << bound << " ms";
    EXPECT_FALSE(line.isOpen());
    if (std::string_view(fault.name) != "LineClosedMidTransfer") {
        QtSerialLine again(panel.path()); // really let go: the port opens again
        EXPECT_TRUE(again.open(SerialSettings{}).ok());
    }
    switch (fault.expect) {
    case Expect::Success:
        EXPECT_TRUE(result.succeeded()) << result.detail.toStdString();
        EXPECT_TRUE(claimsSuccess(result));
        expectExactMemory(procedure, panel);
        break;
    case Expect::Cancelled:
        EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Cancelled);
        EXPECT_FALSE(claimsSuccess(result));
        EXPECT_TRUE(result.detail.contains(QLatin1String(fault.mentions)))
            << result.detail.toStdString();
        EXPECT_EQ(result.packetsSent, 0);
        // Upload and restore end quietly at Esc; the update says it failed.
        EXPECT_EQ(result.messages.size(), procedure == Procedure::Firmware ? 1 : 0);
        break;
    case Expect::Failure:
        EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Failed);
        expectFailureTold(result, fault.mentions);
        break;
    case Expect::Honest:
        if (result.succeeded())
            expectExactMemory(procedure, panel);
        else
            expectFailureTold(result, fault.mentions);
        break;
    }
}

// The longest a block may take to fail: every try waits its time-out and the late window (twice
// the time-out); a block that went out while answers were owed may go out once more for each.
constexpr int kWindowMs = 3 * kBlockTimeoutMs;
constexpr int kBlockFailsMs = (kTries + 2) * kWindowMs;

const Case kCases[] = {
    {"NoHandshakeEsc",
     {"--reset-delay", "100000"},
     Expect::Cancelled,
     "nothing was sent",
     150,
     true,
     0},
    {"NoHandshakeTimeOut",
     {"--reset-delay", "100000"},
     Expect::Failure,
     "did not answer",
     300,
     false,
     300},
    {"AnswerDroppedOnce", {"--drop", "1"}, Expect::Success, "", kBlockFailsMs},
    {"AnswerDroppedAlways", {"--drop-always"}, Expect::Failure, "0x0100", kBlockFailsMs},
    {"GarbledAnswerOnce", {"--garble", "2"}, Expect::Success, "", kBlockFailsMs},
    {"GarbledAnswerAlways", {"--garble-word", "108"}, Expect::Failure, "0x0108", kBlockFailsMs},
    {"StrayBytesBeforeAnAnswer", {"--stray", "1,2"}, Expect::Success, "", 2 * kBlockFailsMs},
    {"PanelSlowerThanTheTimeOut", {"--slow", "1000"}, Expect::Failure, "0x0100", kBlockFailsMs},
    {"LineClosedMidTransfer", {"--close-after", "1"}, Expect::Failure, "closed", kBlockFailsMs},
    // Not the panel's loader, or a disturbed line: bytes keep coming without pause.
    {"LineNeverQuiet", {"--chatter"}, Expect::Failure, "without pause", kBlockFailsMs},
    // Answers carry no sequence number: a late, repeated or early answer must never be counted
    // for the packet after a lost one.
    {"LateAnswerThenLostPacket",
     {"--late", "1", "--late-ms", "170", "--lose", "3", "--write-ms", "5"},
     Expect::Success,
     "",
     kBlockFailsMs},
    {"DuplicateAnswersThenLostPacket",
     {"--duplicate-rate", "1", "--lose", "3"},
     Expect::Success,
     "",
     kBlockFailsMs},
    {"RepeatsAt3ms",
     {"--duplicate-rate", "1", "--duplicate-ms", "3", "--lose", "3"},
     Expect::Success,
     "",
     kBlockFailsMs},
    {"RepeatsAt10ms",
     {"--duplicate-rate", "1", "--duplicate-ms", "10", "--lose", "3"},
     Expect::Success,
     "",
     kBlockFailsMs},
    // Packet 2 answered only when its resend starts, the resend only when the next block's
    // packet (lost) starts.
    {"HeldAnswer0ms", {"--hold", "2,3", "--lose", "4"}, Expect::Success, "", 2 * kBlockFailsMs},
    {"HeldAnswer15ms",
     {"--hold", "2,3", "--hold-ms", "15", "--lose", "4"},
     Expect::Success,
     "",
     2 * kBlockFailsMs},
    {"HeldAnswer30ms",
     {"--hold", "2,3", "--hold-ms", "30", "--lose", "4"},
     Expect::Success,
     "",
     2 * kBlockFailsMs},
    {"HeldAndRepeated",
     {"--hold", "2,3", "--hold-ms", "5", "--duplicate-rate", "1", "--duplicate-ms", "8", "--lose",
      "4"},
     Expect::Success,
     "",
     2 * kBlockFailsMs},
    // The first answer at about 3.05 time-outs, the resend's at about 6.16.
    {"FirstAnswerAfterTheResend",
     {"--late", "2:293,3:305", "--lose", "4"},
     Expect::Success,
     "",
     2 * kBlockFailsMs},
    // Answers before the packet could have arrived are not taken for its own; a reader held back
    // by a loaded machine may see one late enough to be, and then the block was written.
    {"EarlyAnswers", {"--early-rate", "1", "--lose", "3"}, Expect::Honest, "", 2 * kBlockFailsMs},
    {"ReadyChatter", {"--ready-chatter", "3", "--lose", "3"}, Expect::Success, "", kBlockFailsMs},
    {"Echo", {"--echo", "--lose", "3"}, Expect::Success, "", kBlockFailsMs},
};

INSTANTIATE_TEST_SUITE_P(Procedures, FaultMatrix,
                         ::testing::Combine(::testing::Values(Procedure::Upload, Procedure::Restore,
                                                              Procedure::Firmware),
                                            ::testing::ValuesIn(kCases)),
                         [](const ::testing::TestParamInfo<std::tuple<Procedure, Case>>& test) {
                             return std::string(procedureName(std::get<0>(test.param))) + "_" +
                                    std::get<1>(test.param).name;
                         });

// A block of the configuration never acknowledged: the failure names its word address. (The
// firmware update has no such blocks.)
TEST(FaultMatrixImage, ImageBlockNeverAcknowledgedNamesItsAddress) {
    for (Procedure procedure : {Procedure::Upload, Procedure::Restore}) {
        VirtualPanel panel({QStringLiteral("--drop-word"), QStringLiteral("1608")});
        ASSERT_TRUE(panel.ok());
        ProgramFolder folder;
        QtSerialLine line(panel.path());
        ProgrammingOptions options;
        options.blockTimeoutMs = kBlockTimeoutMs;
        options.pollIntervalMs = 20;
        options.handshakeTimeoutMs = 2000;
        const ProgrammingResult result = run(procedure, line, folder, options);
        EXPECT_FALSE(line.isOpen());
        EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Failed);
        expectFailureTold(result, "0x1608");
        EXPECT_EQ(result.failedWordAddresses, QList<quint32>{0x1608});
        EXPECT_EQ(result.messages.back().title, QStringLiteral("Error"));
    }
}

// Another program holds the port (the command-line companion waiting for a reset on it): each
// procedure is refused at once, sends nothing and says the port is in use.
TEST(FaultMatrixPort, PortBusyIsRefusedAndNothingSent) {
    VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("100000")});
    ASSERT_TRUE(panel.ok());
    ProgramFolder folder;
    QProcess other;
    other.start(test::binDir() + QStringLiteral("/ondrel-cli"),
                {QStringLiteral("restore"), QStringLiteral("--port"), panel.path(),
                 QStringLiteral("--dir"), folder.path()});
    QByteArray said;
    while (!said.contains("Press Reset") && other.waitForReadyRead(10000))
        said += other.readAllStandardOutput();
    ASSERT_TRUE(said.contains("Press Reset")) << said.toStdString();

    for (Procedure procedure : {Procedure::Upload, Procedure::Restore, Procedure::Firmware}) {
        QtSerialLine line(panel.path());
        ProgrammingOptions options;
        options.handshakeTimeoutMs = 2000;
        QElapsedTimer clock;
        clock.start();
        const ProgrammingResult result = run(procedure, line, folder, options);
        EXPECT_LT(clock.elapsed(), kSlackMs) << procedureName(procedure);
        EXPECT_EQ(result.outcome, ProgrammingResult::Outcome::Failed);
        expectFailureTold(result, "in use by another program");
        EXPECT_EQ(result.packetsSent, 0);
        EXPECT_FALSE(line.isOpen());
    }
    EXPECT_TRUE(test::signalChild(other, SIGINT)); // Ctrl+C: the other program lets go
    ASSERT_TRUE(other.waitForFinished(10000));
    QtSerialLine after(panel.path());
    EXPECT_TRUE(after.open(SerialSettings{}).ok());
    after.close();
    panel.stop();
    EXPECT_TRUE(panel.dump().trimmed().isEmpty());
}

} // namespace
