// bench-programming: how close the programming procedures come to the wire. Runs each procedure
// against the virtual panel on a pseudo-terminal that models the wire time of the loader's baud
// rate, checks that the panel's memory holds what was sent, and prints measured time, wire time
// and ratio, beside the same packets sent by plain reads and writes (the bare line).
// Then the same runs through Debian's serial server ser2net on this machine (telnet with
// RFC 2217, and raw TCP), against the local line of the same run.

#include "bench_support.h"
#include "panel_core.h"
#include "platform/network_serial_line.h"
#include "platform/qt_serial_line.h"
#include "programming/config_image.h"
#include "programming/factory_data.h"
#include "programming/hex_generator.h"
#include "programming/intel_hex.h"
#include "programming/programming.h"
#include "support/ser2net.h"
#include "support/virtual_panel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace ondrel;
using ondrel::panel::PanelMemory;
using ondrel::test::VirtualPanel;

namespace {

constexpr int kBitsPerByte = 10;
constexpr int kFirmwareWords = 8192;
constexpr double kTargetRatio = 1.05;
constexpr double kNetworkRatio = 1.10; // through a serial server, against the local line

using bench::fail;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write %1").arg(path));
}

struct Case {
    QString name;
    std::vector<DataBlock> blocks; // what the panel must hold afterwards, in sending order
    bool target = false;           // held to the ratio goal
    std::function<ProgrammingResult(SerialLine&, const ProgrammingOptions&)> run;
};

struct Run {
    double seconds = 0;
    int packets = 0;
    std::vector<double> blockMs; // from one progress step to the next: one block each
};

// Bytes on the wire for one pass without resends: one poll and its answer, then each packet
// (five header bytes and the data) and its two answer bytes.
qint64 wireBytes(const std::vector<DataBlock>& blocks) {
    qint64 bytes = 2;
    for (const DataBlock& block : blocks)
        bytes += 5 + block.bytes.size() + 2;
    return bytes;
}

// The local pseudo-terminal, or ser2net in front of it in one of its modes.
enum class Route { Local, Rfc2217, Raw };

Run runOnce(const Case& c, const QStringList& panelOptions, Route route = Route::Local) {
    VirtualPanel panel(panelOptions);
    if (!panel.ok())
        fail(QStringLiteral("the virtual panel did not start"));
    std::unique_ptr<test::Ser2net> server;
    std::unique_ptr<SerialLine> device;
    if (route == Route::Local) {
        device = std::make_unique<QtSerialLine>(panel.path());
    } else {
        server = std::make_unique<test::Ser2net>(panel.path(), route == Route::Raw
                                                                   ? test::Ser2net::Mode::Raw
                                                                   : test::Ser2net::Mode::Rfc2217);
        if (!server->ok())
            fail(QStringLiteral("ser2net did not start: %1").arg(server->log()));
        device = std::make_unique<NetworkSerialLine>(server->address());
    }
    SerialLine& line = *device;
    ProgrammingOptions options;
    options.handshakeTimeoutMs = 5000;
    Run run;
    QElapsedTimer timer;
    qint64 last = -1;
    options.progress = [&](const QString&, int value, int) {
        const qint64 now = timer.nsecsElapsed();
        if (value > 0 && last >= 0)
            run.blockMs.push_back(double(now - last) / 1e6);
        last = now;
    };

    timer.start();
    const ProgrammingResult result = c.run(line, options);
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    run.packets = result.packetsSent;
    if (!result.succeeded())
        fail(QStringLiteral("%1 failed: %2\n%3").arg(c.name, result.detail, panel.log()));

    panel.stop();
    Result<PanelMemory> memory = PanelMemory::parseDump(panel.dump());
    if (!memory)
        fail(QStringLiteral("%1: unreadable panel memory: %2").arg(c.name, memory.error().message));
    for (const DataBlock& block : c.blocks)
        if (memory.value().read(quint16(block.wordAddress), int(block.bytes.size())) != block.bytes)
            fail(QStringLiteral("%1: the panel's memory at word 0x%2 differs from what was sent")
                     .arg(c.name)
                     .arg(block.wordAddress, 4, 16, QLatin1Char('0')));
    return run;
}

// The same packets sent by the least a client can do: plain reads and writes on the device, no
// tool code in between. What the machine's line costs beyond the wire right now shows here.
double bareLine(const Case& c, const QStringList& panelOptions) {
    VirtualPanel panel(panelOptions);
    if (!panel.ok())
        fail(QStringLiteral("the virtual panel did not start"));
    QElapsedTimer timer;
    timer.start();
    const int fd = ::open(panel.path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t{};
    if (fd < 0 || tcgetattr(fd, &t) != 0)
        fail(QStringLiteral("cannot open %1").arg(panel.path()));
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    auto exchange = [&](const QByteArray& out, int answerBytes) {
        if (::write(fd, out.constData(), size_t(out.size())) != out.size())
            fail(QStringLiteral("bare line: write failed"));
        QByteArray in;
        while (in.size() < answerBytes) {
            pollfd p{fd, POLLIN, 0};
            char buffer[16];
            const ssize_t n =
                ::poll(&p, 1, 2000) > 0 ? ::read(fd, buffer, size_t(answerBytes - in.size())) : 0;
            if (n <= 0)
                fail(QStringLiteral("bare line: the panel did not answer"));
            in.append(buffer, n);
        }
        return in;
    };
    if (exchange(QByteArray(1, char(kLoaderPoll)), 1) != QByteArray(1, char(kLoaderReady)))
        fail(QStringLiteral("bare line: no answer to the poll"));
    for (const DataBlock& block : c.blocks)
        if (!isBlockAccepted(exchange(makeWritePacket(block).value(), 2)))
            fail(QStringLiteral("bare line: a block was not accepted"));
    ::close(fd);
    return double(timer.nsecsElapsed()) / 1e9;
}

QString distribution(std::vector<double> ms) {
    if (ms.empty())
        return QStringLiteral("no blocks");
    std::sort(ms.begin(), ms.end());
    return QStringLiteral("block to block: min %1, median %2, 90% %3, max %4 ms")
        .arg(ms.front(), 0, 'f', 2)
        .arg(ms[ms.size() / 2], 0, 'f', 2)
        .arg(ms[ms.size() * 9 / 10], 0, 'f', 2)
        .arg(ms.back(), 0, 'f', 2);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the programming procedures against the virtual panel."));
    parser.addHelpOption();
    const QCommandLineOption quick(QStringLiteral("quick"),
                                   QStringLiteral("Skip the runs through ser2net."));
    const QCommandLineOption writeMs(QStringLiteral("write-ms"),
                                     QStringLiteral("The panel's time to store one block."),
                                     QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption baudOption(QStringLiteral("baud"),
                                        QStringLiteral("The baud rate the panel models (0: none, "
                                                       "to see the line's own round trip)."),
                                        QStringLiteral("rate"), QStringLiteral("19200"));
    const QCommandLineOption detail(QStringLiteral("detail"),
                                    QStringLiteral("Also show how long each block took."));
    const QCommandLineOption normal(QStringLiteral("no-realtime"),
                                    QStringLiteral("Run at normal priority."));
    parser.addOptions({quick, writeMs, baudOption, detail, normal});
    parser.process(app);
    const int writeTime = parser.value(writeMs).toInt();
    const int baud = parser.value(baudOption).toInt();
    const QStringList panelOptions{QStringLiteral("--write-ms"), QString::number(writeTime),
                                   QStringLiteral("--baud"), QString::number(baud)};
    const bool realtime = !parser.isSet(normal) && bench::requestRealtime();

    // A program folder whose version-named firmware holds no data lines, so the upload and the
    // restore time the configuration table alone; the factory file is the shipped one.
    QTemporaryDir folder;
    if (!folder.isValid())
        fail(QStringLiteral("cannot make a temporary folder"));
    QDir(folder.path()).mkpath(QStringLiteral("firmware"));
    writeFile(firmwareFilePath(folder.path()), ":00000001FF\r\n");
    const QString shippedFactory =
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + kFactoryDataFileName;
    if (!QFile::copy(shippedFactory, folder.filePath(QLatin1String(kFactoryDataFileName))))
        fail(QStringLiteral("cannot copy %1; build the tool first").arg(shippedFactory));
    const QString firmwarePath = folder.filePath(QStringLiteral("bench.hex"));
    const QString firmwareText = generateFirmwareHex(kFirmwareWords);
    writeFile(firmwarePath, firmwareText.toLatin1());

    QByteArray fullImage(kConfigCapacity, '\0');
    for (int i = 0; i < fullImage.size(); ++i)
        fullImage[i] = char((i * 37 + 11) & 0xFF);
    Result<ConfigImage> newProject = BuildConfigImage(ProjectState());
    Result<QByteArray> factory = readFactoryDataFile(shippedFactory);
    Result<std::vector<DataBlock>> firmware = parseFirmwareText(firmwareText);
    if (!newProject || !factory || !firmware)
        fail(QStringLiteral("cannot prepare the data to send"));
    const QByteArray defaultImage = newProject.value().bytes;
    const QString dir = folder.path();

    const std::vector<Case> cases{
        {QStringLiteral("configuration image, %1 bytes").arg(fullImage.size()),
         splitIntoBlocks(kConfigWordAddress, fullImage), true,
         [&](SerialLine& line, const ProgrammingOptions& o) {
             return UploadConfiguration(line, fullImage, dir, o);
         }},
        {QStringLiteral("new project's image, %1 bytes").arg(defaultImage.size()),
         splitIntoBlocks(kConfigWordAddress, defaultImage), false,
         [&](SerialLine& line, const ProgrammingOptions& o) {
             return UploadConfiguration(line, defaultImage, dir, o);
         }},
        {QStringLiteral("factory restore, %1 bytes").arg(factory.value().size()),
         splitIntoBlocks(kConfigWordAddress, factory.value()), false,
         [&](SerialLine& line, const ProgrammingOptions& o) {
             return RestoreFactorySetup(line, dir, o);
         }},
        {QStringLiteral("firmware, %1 words").arg(kFirmwareWords), firmware.value(), true,
         [&](SerialLine& line, const ProgrammingOptions& o) {
             return UpdateFirmware(line, firmwarePath, o);
         }},
    };

    bench::out() << QStringLiteral(
                        "Programming against ondrel-panel on a pseudo-terminal: modelled %1 "
                        "baud, %2 bits a byte, panel write time %3 ms a block")
                        .arg(baud)
                        .arg(kBitsPerByte)
                        .arg(writeTime)
                 << Qt::endl;
    bench::out() << QStringLiteral("Scheduling: %1; load average %2")
                        .arg(realtime ? QStringLiteral(
                                            "real-time (SCHED_FIFO) for the bench and the panel")
                                      : QStringLiteral("normal"),
                             bench::loadAverage())
                 << Qt::endl;
    bench::out() << QStringLiteral("Bare line: the same packets by plain reads and writes on the "
                                   "device, without the tool's code, against a fresh panel")
                 << Qt::endl;
    bench::out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                        .arg(QStringLiteral("procedure"), -32)
                        .arg(QStringLiteral("packets"), 8)
                        .arg(QStringLiteral("wire s"), 8)
                        .arg(QStringLiteral("measured s"), 11)
                        .arg(QStringLiteral("ratio"), 6)
                        .arg(QStringLiteral("bare line s"), 12)
                        .arg(QStringLiteral("ratio"), 6)
                 << Qt::endl;

    bool met = true;
    for (const Case& c : cases) {
        // The ideal: every byte at the wire's rate, plus the panel's own time per block.
        const double wire = (baud > 0 ? double(wireBytes(c.blocks) * kBitsPerByte) / baud : 0.0) +
                            double(c.blocks.size()) * writeTime / 1000.0;
        const Run paced = runOnce(c, panelOptions);
        const double ratio = wire > 0 ? paced.seconds / wire : 0.0;
        if (c.target && ratio > kTargetRatio)
            met = false;
        QString line = QStringLiteral("%1 %2 %3 %4 %5")
                           .arg(c.name, -32)
                           .arg(paced.packets, 8)
                           .arg(wire, 8, 'f', 2)
                           .arg(paced.seconds, 11, 'f', 2)
                           .arg(ratio, 6, 'f', 3);
        const double bare = bareLine(c, panelOptions);
        line += QStringLiteral(" %1 %2")
                    .arg(bare, 12, 'f', 2)
                    .arg(wire > 0 ? bare / wire : 0.0, 6, 'f', 3);
        bench::out() << line << Qt::endl;
        if (parser.isSet(detail))
            bench::out() << QStringLiteral("    %1").arg(distribution(paced.blockMs)) << Qt::endl;
    }
    bench::out() << QStringLiteral(
                        "Goal: ratio to wire time at most %1 for the image and the firmware: %2")
                        .arg(kTargetRatio, 0, 'f', 2)
                        .arg(met ? QStringLiteral("met") : QStringLiteral("MISSED"))
                 << Qt::endl;

    if (parser.isSet(quick))
        return met ? 0 : 1;
    if (!test::Ser2net::installed()) {
        bench::out() << "ser2net is not installed (scripts/setup installs it): no network runs"
                     << Qt::endl;
        return met ? 0 : 1;
    }
    // Each run opens the line (connection, Telnet, settings) as a programming run does.
    bench::out() << Qt::endl
                 << QStringLiteral("Through ser2net on this machine (chardelay off), each run "
                                   "against a local run just before it")
                 << Qt::endl
                 << QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                        .arg(QStringLiteral("procedure"), -32)
                        .arg(QStringLiteral("local s"), 8)
                        .arg(QStringLiteral("rfc2217 s"), 10)
                        .arg(QStringLiteral("ratio"), 6)
                        .arg(QStringLiteral("local s"), 8)
                        .arg(QStringLiteral("raw tcp s"), 10)
                        .arg(QStringLiteral("ratio"), 6)
                 << Qt::endl;
    bool networkMet = true;
    for (const Case& c : cases) {
        QString line = QStringLiteral("%1").arg(c.name, -32);
        for (const Route route : {Route::Rfc2217, Route::Raw}) {
            const double local = runOnce(c, panelOptions).seconds;
            const double far = runOnce(c, panelOptions, route).seconds;
            networkMet = networkMet && far / local <= kNetworkRatio;
            line += QStringLiteral(" %1 %2 %3")
                        .arg(local, 8, 'f', 2)
                        .arg(far, 10, 'f', 2)
                        .arg(far / local, 6, 'f', 3);
        }
        bench::out() << line << Qt::endl;
    }
    bench::out() << QStringLiteral("Goal: at most %1 times the local line's time: %2")
                        .arg(kNetworkRatio, 0, 'f', 2)
                        .arg(networkMet ? QStringLiteral("met") : QStringLiteral("MISSED"))
                 << Qt::endl;
    return met && networkMet ? 0 : 1;
}
