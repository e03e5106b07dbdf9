// The network serial line against Debian's ser2net in front of a pseudo-terminal or the virtual
// panel, in both of its modes (telnet with RFC 2217, raw TCP); a relay of the tests' own adds
// network delay and cuts connections, and a scripted RFC 2217 server plays servers that refuse.
#include "files/qcd_file.h"
#include "panel_core.h"
#include "platform/network_serial_line.h"
#include "platform/qt_serial_line.h"
#include "programming/config_image.h"
#include "support/cli_run.h"
#include "support/ser2net.h"
#include "support/tcp_relay.h"
#include "support/virtual_panel.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;
using Mode = Ser2net::Mode;

namespace {

const SerialSettings kLoader{19200, Parity::None, 8, 1};

} // namespace

// Servers that answer otherwise than ser2net does, played by the relay changing its answers:
// one that keeps 9600 baud, one whose port keeps DTR and RTS off, one without the COM-PORT
// option; and a raw server given as rfc2217://.
TEST(NetworkLine, ServersThatRefuseOrIgnoreSettingsAreToldInWords) {
    const struct {
        Mode mode;
        QByteArray from, to; // hex, as the server sends it and as the tool gets it
        const char* said;    // part of the error, or of the note when the line opens
        bool opens;
    } rows[] = {
        {Mode::Rfc2217, "fffa2c6500004b00fff0", "fffa2c6500002580fff0",
         "keeps its port at 9600 baud instead of 19200 baud: it refused the change. This line "
         "needs 19200,N,8,1",
         false},
        {Mode::Rfc2217, "fffa2c6901fff0", "fffa2c6909fff0 fffa2c690cfff0 fffa2c6901fff0",
         "cannot set DTR and RTS on its port", true},
        {Mode::Rfc2217, "fffd2c", "fffe2c", "does not take serial settings", true},
        {Mode::Raw, "", "", "did not answer as an RFC 2217 serial server within 300 ms", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.said);
        VirtualPanel panel;
        Ser2net server(panel.path(), row.mode);
        TcpRelay relay(server.port(), 0);
        relay.rewrite(QByteArray::fromHex(row.from), QByteArray::fromHex(row.to));
        NetworkSerialLine line(QStringLiteral("rfc2217://127.0.0.1:%1").arg(relay.port()));
        line.answerTimeoutMs = 300;
        const Status opened = line.open(kLoader);
        ASSERT_EQ(opened.ok(), row.opens) << line.notice().toStdString();
        const QString said = opened ? line.notice() : opened.error().message;
        EXPECT_TRUE(said.contains(QLatin1String(row.said))) << said.toStdString();
        EXPECT_EQ(line.isOpen(), row.opens);
    }

    NetworkSerialLine nobody(QStringLiteral("rfc2217://127.0.0.1:%1").arg(freeLocalPort()));
    EXPECT_TRUE(nobody.open(kLoader).error().message.contains("could not be reached: nothing "
                                                              "answers on port"));
}

namespace {

constexpr int kFirmwareWords = 64; // 8 packets

ProgrammingOptions networkOptions() {
    ProgrammingOptions options;
    options.handshakeTimeoutMs = 5000;
    return options;
}

} // namespace

// Upload (from ondrel-cli), factory restore and firmware update through ser2net, telnet with
// RFC 2217 and raw TCP, each on a fresh panel whose whole memory is then compared.
TEST(NetworkProgramming, ProceduresThroughSer2netInBothModesLeaveThePanelsMemoryExact) {
    QTemporaryDir dir;
    writeProgramFolder(dir.path(), kFirmwareWords, 0, "255,1,255,0,255,#");
    // Commands that hold 0xFF, the Telnet escape byte, and CR NUL.
    ProjectState state;
    state.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString1(0, ByteList{0xFF, 0xFF, 0x01, 0xFF});
    });
    state.updateButton(1, [&](ButtonConfig& record) {
        record.setCommandString2(0, ByteList{0xFF, 0x0D, 0x00, 0x0D, 0x0A});
    });
    for (int port = 0; port < 2; ++port)
        state.updatePort(
            port, [](CommSets& settings) { settings.BaudRate = 9600, settings.Parity = "NONE"; });
    const QString room = dir.filePath(QStringLiteral("room.qcd"));
    ASSERT_TRUE(saveQcd(state, room).ok());
    const QByteArray image = BuildConfigImage(state).value().bytes;
    EXPECT_EQ(image.count(char(0xFF)), 4); // one word a byte: 00 FF
    QByteArray factory(kConfigCapacity, '\0');
    factory.replace(0, 5, QByteArray("\xFF\x01\xFF\x00\xFF", 5));
    const QByteArray firmware = generatedFirmwareBytes(kFirmwareWords);
    enum class Procedure { UploadFromTheCommandLine, Restore, Firmware };
    for (const Mode mode : {Mode::Rfc2217, Mode::Raw}) {
        for (const Procedure procedure :
             {Procedure::UploadFromTheCommandLine, Procedure::Restore, Procedure::Firmware}) {
            SCOPED_TRACE(testing::Message()
                         << "mode " << int(mode) << ", procedure " << int(procedure));
            VirtualPanel panel;
            Ser2net server(panel.path(), mode);
            ASSERT_TRUE(panel.ok() && server.ok()) << server.log().toStdString();
            QByteArray configuration = image;
            if (procedure == Procedure::UploadFromTheCommandLine) {
                const CliRun run = cli({QStringLiteral("upload"), room, QStringLiteral("--port"),
                                        server.address(), QStringLiteral("--dir"), dir.path(),
                                        QStringLiteral("--reset-timeout"), QStringLiteral("5")});
                ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
                // One note, before the reset prompt: who sets the port, or that DTR and RTS
                // could not be set.
                EXPECT_EQ(run.err.count(QStringLiteral("note: ")), 1) << run.err.toStdString();
                EXPECT_TRUE(run.out.contains(QStringLiteral("Using %1.").arg(server.address())));
            } else {
                NetworkSerialLine line(server.address());
                const ProgrammingResult result =
                    procedure == Procedure::Restore
                        ? RestoreFactorySetup(line, dir.path(), networkOptions())
                        : UpdateFirmware(line, firmwareFilePath(dir.path()), networkOptions());
                ASSERT_TRUE(result.succeeded()) << result.detail.toStdString();
                EXPECT_EQ(result.resends, 0);
                EXPECT_FALSE(line.isOpen());
                configuration = procedure == Procedure::Restore ? factory : QByteArray();
            }
            const panel::PanelMemory memory = panel.memory();
            EXPECT_EQ(memory.read(0, int(firmware.size())), firmware);
            EXPECT_EQ(memory.read(kConfigWordAddress, int(configuration.size())), configuration);
            EXPECT_EQ(memory.writtenCount(), firmware.size() + configuration.size());
        }
    }
}

// 20 ms each way, as to a building across town: each packet waits for its answer, so a packet
// costs one round trip more than on a local line, and nothing is sent twice.
TEST(NetworkProgramming, TwentyMillisecondsEachWayCostOneRoundTripAPacketAndNoResends) {
    QTemporaryDir dir;
    writeProgramFolder(dir.path(), kFirmwareWords);
    QByteArray image(192, '\xFF'); // 12 packets
    for (int i = 0; i < image.size(); i += 3)
        image[i] = char(i);
    const int packets = 8 + 12;
    constexpr int kRoundTripMs = 40;
    struct Run {
        ProgrammingResult result;
        qint64 ms = 0; // from the reset prompt to the end: the open is not a packet's
        panel::PanelMemory memory;
    };
    auto run = [&](SerialLine& line, VirtualPanel& panel) {
        Run r;
        QElapsedTimer timer;
        ProgrammingOptions options = networkOptions();
        options.stage = [&](ProgrammingStage stage) {
            if (stage == ProgrammingStage::WaitingForReset)
                timer.start();
        };
        r.result = UploadConfiguration(line, image, dir.path(), options);
        r.ms = timer.elapsed();
        r.memory = panel.memory();
        return r;
    };
    VirtualPanel localPanel, farPanel;
    ASSERT_TRUE(localPanel.ok() && farPanel.ok());
    QtSerialLine local(localPanel.path());
    const Run near = run(local, localPanel);
    Ser2net server(farPanel.path(), Mode::Rfc2217);
    ASSERT_TRUE(server.ok());
    TcpRelay relay(server.port(), kRoundTripMs / 2);
    NetworkSerialLine line(server.address(relay.port()));
    const Run far = run(line, farPanel);

    for (const Run* r : {&near, &far}) {
        ASSERT_TRUE(r->result.succeeded()) << r->result.detail.toStdString();
        EXPECT_EQ(r->result.packetsSent, packets);
        EXPECT_EQ(r->result.resends, 0);
        EXPECT_EQ(r->memory.read(kConfigWordAddress, int(image.size())), image);
    }
    // The reset poll's answer and each packet's: one round trip each. 5 ms a packet and a
    // quarter second for a loaded machine.
    EXPECT_GE(far.ms, near.ms + (packets + 1) * kRoundTripMs - 50);
    EXPECT_LE(far.ms, near.ms + (packets + 1) * (kRoundTripMs + 5) + 250)
        << "local " << near.ms << " ms, through the relay " << far.ms << " ms";
}

// The connection breaks in the middle of the configuration: the run ends at once, in words,
// never in success.
TEST(NetworkProgramming, AConnectionCutMidUploadEndsInWordsWithinTheBlockTimeOut) {
    QTemporaryDir dir;
    writeProgramFolder(dir.path(), kFirmwareWords);
    const QByteArray image(kConfigCapacity, '\x5A');
    for (const Mode mode : {Mode::Rfc2217, Mode::Raw}) {
        VirtualPanel panel;
        Ser2net server(panel.path(), mode);
        ASSERT_TRUE(panel.ok() && server.ok());
        TcpRelay relay(server.port(), 5);
        relay.cutAfter(1200); // the firmware and about 40 blocks of the image
        NetworkSerialLine line(server.address(relay.port()));
        const ProgrammingOptions options = networkOptions();
        const ProgrammingResult result = UploadConfiguration(line, image, dir.path(), options);
        const auto ended = std::chrono::steady_clock::now();
        ASSERT_TRUE(relay.hasCut());
        EXPECT_LT(ended - relay.cutTime(), std::chrono::milliseconds(options.blockTimeoutMs));
        EXPECT_FALSE(result.succeeded());
        EXPECT_GT(result.packetsSent, 8);
        EXPECT_TRUE(result.detail.contains(
            QStringLiteral("The serial port %1 failed while").arg(line.deviceName())))
            << result.detail.toStdString();
        EXPECT_TRUE(result.detail.contains("(the connection to the serial server was closed or "
                                           "lost); it was closed."));
        EXPECT_FALSE(line.isOpen());
    }
}
