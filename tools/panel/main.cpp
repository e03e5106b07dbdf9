// ondrel-panel: a virtual Ondrel panel on a pseudo-terminal (or a given serial device) for tests,
// demos and installers without hardware. It answers the loader's reset poll and write packets
// like the panel does, can model the wire time of a baud rate, and can misbehave on request.

#include "panel_buttons.h"
#include "panel_core.h"
#include "programming/hex_generator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QTextStream>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace ondrel::panel;
using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}

struct Options {
    int baud = 0;               // 0: answer as fast as possible
    milliseconds writeTime{0};  // the panel's time to store one block
    milliseconds resetDelay{0}; // polls go unanswered this long, like a person reaching reset
    milliseconds slow{0};       // extra delay before every answer
    QSet<int> drop, garble, stray;
    QSet<int> dropWords, garbleWords; // by word address: unaffected by resends before them
    bool dropAlways = false;
    bool chatter = false; // after the reset answer, a stray byte every 2 ms without end
    int stopAfter = -1;   // answer nothing after this many packets
    int closeAfter = -1;  // close the line after answering this many packets
    bool verbose = false;
};

QSet<int> parseList(const QString& text) {
    QSet<int> numbers;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        numbers.insert(part.trimmed().toInt());
    return numbers;
}

bool makeRaw(int fd, int baud) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    if (baud > 0) {
        const speed_t speed = baud == 9600     ? B9600
                              : baud == 19200  ? B19200
                              : baud == 38400  ? B38400
                              : baud == 115200 ? B115200
                                               : B19200;
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool writeText(const QString& path, const QString& text) {
    if (path == QLatin1String("-")) {
        QTextStream(stdout) << text;
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ondrel-panel"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual Ondrel panel. Opens a pseudo-terminal, prints its path on the first line of "
        "standard output, and answers the loader there until it is stopped (Ctrl+C or SIGTERM)."));
    parser.addHelpOption();
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Use this serial device instead of a new pty."),
                                    QStringLiteral("path"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make a symbolic link to the pty at this path."),
                                  QStringLiteral("path"));
    const QCommandLineOption baud(QStringLiteral("baud"),
                                  QStringLiteral("Model the wire time of this baud rate (10 bits "
                                                 "a byte each way); 0 answers at once."),
                                  QStringLiteral("rate"), QStringLiteral("0"));
    const QCommandLineOption writeMs(QStringLiteral("write-ms"),
                                     QStringLiteral("Time the panel takes to store one block."),
                                     QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption resetDelay(
        QStringLiteral("reset-delay"),
        QStringLiteral("Leave the reset poll unanswered this long after the first poll."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption slow(QStringLiteral("slow"),
                                  QStringLiteral("Delay every answer to a packet by this long."),
                                  QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption drop(QStringLiteral("drop"),
                                  QStringLiteral("Do not answer these packets (1 is the first "
                                                 "packet received, resends count too)."),
                                  QStringLiteral("n,m,..."));
    const QCommandLineOption garble(QStringLiteral("garble"),
                                    QStringLiteral("Answer these packets with E7 E5."),
                                    QStringLiteral("n,m,..."));
    const QCommandLineOption stray(QStringLiteral("stray"),
                                   QStringLiteral("Send stray bytes before these answers."),
                                   QStringLiteral("n,m,..."));
    const QCommandLineOption dropWord(
        QStringLiteral("drop-word"),
        QStringLiteral("Do not answer any packet to these word addresses (hexadecimal)."),
        QStringLiteral("w,v,..."));
    const QCommandLineOption garbleWord(
        QStringLiteral("garble-word"),
        QStringLiteral("Answer every packet to these word addresses (hexadecimal) with E7 E5."),
        QStringLiteral("w,v,..."));
    const QCommandLineOption chatter(
        QStringLiteral("chatter"),
        QStringLiteral("After answering the reset poll, send a stray byte every 2 ms without end, "
                       "and one ahead of every answer (a line that never goes quiet)."));
    const QCommandLineOption dropAlways(QStringLiteral("drop-always"),
                                        QStringLiteral("Answer no packet (polls still are)."));
    const QCommandLineOption stopAfter(
        QStringLiteral("stop-after"),
        QStringLiteral("Answer nothing at all after this many packets."), QStringLiteral("n"));
    const QCommandLineOption closeAfter(
        QStringLiteral("close-after"),
        QStringLiteral("Close the line after answering this many packets."), QStringLiteral("n"));
    const QCommandLineOption dump(QStringLiteral("dump"),
                                  QStringLiteral("On exit, write the written memory as hex here "
                                                 "(- for standard output)."),
                                  QStringLiteral("file"));
    const QCommandLineOption decode(QStringLiteral("decode"),
                                    QStringLiteral("On exit, write the configuration table at "
                                                   "word 0x1600 as text here (- for standard "
                                                   "output)."),
                                    QStringLiteral("file"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"), QStringLiteral("Log every poll and packet on standard error."));
    const QCommandLineOption demoFirmware(
        QStringLiteral("write-demo-firmware"),
        QStringLiteral("Write a made-up firmware file for trying the tool against this virtual "
                       "panel, then end. Never send it to a real panel."),
        QStringLiteral("file"));
    parser.addOptions({device, link, baud, writeMs, resetDelay, slow, drop, garble, stray, dropWord,
                       garbleWord, chatter, dropAlways, stopAfter, closeAfter, dump, decode,
                       verbose, demoFirmware});
    ButtonPanel buttons; // --control1/--control2 and the press lines on standard input
    buttons.addOptions(parser);
    parser.process(app);
    if (parser.isSet(demoFirmware)) {
        if (!writeText(parser.value(demoFirmware), ondrel::generateFirmwareHex(64))) {
            std::fprintf(stderr, "ondrel-panel: cannot write %s\n",
                         qPrintable(parser.value(demoFirmware)));
            return 1;
        }
        return 0;
    }

    // Before the path is printed: whoever reads it may stop the panel at once.
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Options o;
    o.baud = parser.value(baud).toInt();
    o.writeTime = milliseconds(parser.value(writeMs).toInt());
    o.resetDelay = milliseconds(parser.value(resetDelay).toInt());
    o.slow = milliseconds(parser.value(slow).toInt());
    o.drop = parseList(parser.value(drop));
    o.garble = parseList(parser.value(garble));
    for (const QString& word : parser.value(dropWord).split(u',', Qt::SkipEmptyParts))
        o.dropWords.insert(word.toInt(nullptr, 16));
    for (const QString& word : parser.value(garbleWord).split(u',', Qt::SkipEmptyParts))
        o.garbleWords.insert(word.toInt(nullptr, 16));
    o.stray = parseList(parser.value(stray));
    o.dropAlways = parser.isSet(dropAlways);
    o.chatter = parser.isSet(chatter);
    if (parser.isSet(stopAfter))
        o.stopAfter = parser.value(stopAfter).toInt();
    if (parser.isSet(closeAfter))
        o.closeAfter = parser.value(closeAfter).toInt();
    o.verbose = parser.isSet(verbose);

    int fd = -1;
    int keepOpen = -1; // our own handle on the pty's far end, so reads never fail while the tool
                       // has the port closed
    QString path;
    if (parser.isSet(device)) {
        path = parser.value(device);
        fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (fd < 0) {
            std::fprintf(stderr, "ondrel-panel: cannot open %s: %s\n", qPrintable(path),
                         std::strerror(errno));
            return 1;
        }
        makeRaw(fd, o.baud);
    } else {
        char name[256] = {};
        if (openpty(&fd, &keepOpen, name, nullptr, nullptr) != 0) {
            std::fprintf(stderr, "ondrel-panel: cannot open a pseudo-terminal: %s\n",
                         std::strerror(errno));
            return 1;
        }
        // Raw at once: bytes sent before the tool opens the port must not be echoed or changed.
        makeRaw(keepOpen, 0);
        makeRaw(fd, 0);
        path = QString::fromLocal8Bit(name);
    }
    if (parser.isSet(link)) {
        const QByteArray linkPath = parser.value(link).toLocal8Bit();
        ::unlink(linkPath.constData());
        if (::symlink(path.toLocal8Bit().constData(), linkPath.constData()) != 0)
            std::fprintf(stderr, "ondrel-panel: cannot link %s: %s\n", linkPath.constData(),
                         std::strerror(errno));
    }
    if (!buttons.start(parser))
        return 1;
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);

    const nanoseconds byteTime(o.baud > 0 ? 10'000'000'000LL / o.baud : 0); // 10 bits
    PacketReader reader;
    PanelMemory memory;
    struct Output {
        QByteArray bytes;
        bool closeAfter = false;
    };
    std::multimap<Clock::time_point, Output> outputs;
    Clock::time_point received = Clock::now(); // when the last byte was fully received
    Clock::time_point pollRunStart;
    bool polling = false; // inside a run of polls
    int packets = 0;
    bool silent = false;
    bool closed = false;
    Clock::time_point nextChatter = Clock::time_point::max(); // set once the reset was answered

    auto log = [&](const QString& text) {
        if (o.verbose)
            std::fprintf(stderr, "panel: %s\n", qPrintable(text));
    };

    auto handle = [&](const LoaderEvent& event, Clock::time_point at) {
        if (event.kind == LoaderEvent::Kind::Stray) {
            log(QStringLiteral("stray byte %1").arg(event.byte, 2, 16, QLatin1Char('0')));
            return;
        }
        if (event.kind == LoaderEvent::Kind::Poll) {
            if (!polling)
                pollRunStart = at;
            polling = true;
            if (silent || at - pollRunStart < o.resetDelay)
                return;
            log(QStringLiteral("poll answered"));
            outputs.emplace(at + byteTime, Output{QByteArray(1, char(0xEB))});
            if (o.chatter && nextChatter == Clock::time_point::max())
                nextChatter = at + byteTime + milliseconds(2);
            return;
        }
        polling = false;
        ++packets;
        if (!event.checksumOk) {
            log(QStringLiteral("packet %1 at %2: checksum %3 does not match, ignored")
                    .arg(packets)
                    .arg(event.wordAddress, 4, 16, QLatin1Char('0'))
                    .arg(event.checksum));
            return;
        }
        memory.write(event.wordAddress, event.data);
        buttons.tableWritten(memory, event.wordAddress);
        log(QStringLiteral("packet %1: %2 bytes at %3")
                .arg(packets)
                .arg(event.data.size())
                .arg(event.wordAddress, 4, 16, QLatin1Char('0')));
        if (silent || o.dropAlways || o.drop.contains(packets) ||
            o.dropWords.contains(event.wordAddress))
            return;
        QByteArray answer("\xE7\xE4", 2);
        if (o.garble.contains(packets) || o.garbleWords.contains(event.wordAddress))
            answer[1] = char(0xE5);
        if (o.stray.contains(packets))
            answer.prepend(QByteArray("\x00\x55", 2));
        if (o.chatter) // the noise always gets in ahead of the answer
            answer.prepend(char(0x55));
        const bool closeNow = o.closeAfter >= 0 && packets >= o.closeAfter;
        outputs.emplace(at + o.writeTime + o.slow + byteTime * answer.size(),
                        Output{answer, closeNow});
        if (o.stopAfter >= 0 && packets >= o.stopAfter)
            silent = true;
    };

    char buffer[4096];
    while (!stopRequested && !closed) {
        if (Clock::now() >= nextChatter) {
            writeAll(fd, QByteArray(1, char(0x55)));
            nextChatter = Clock::now() + milliseconds(2);
        }
        // Wake exactly when the next answer is due: whole milliseconds would make the modelled
        // wire time late, or spin through the last fraction.
        microseconds timeout =
            nextChatter == Clock::time_point::max() ? milliseconds(100) : milliseconds(2);
        if (!outputs.empty())
            timeout = std::clamp(
                std::chrono::duration_cast<microseconds>(outputs.begin()->first - Clock::now()),
                microseconds(0), timeout);
        const timespec wait{0, long(timeout.count()) * 1000};
        pollfd p{fd, POLLIN, 0};
        const int ready = ::ppoll(&p, 1, &wait, nullptr);
        if (ready > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            const auto now = Clock::now();
            for (ssize_t i = 0; i < n; ++i) {
                // Each byte occupies the wire for one byte time after the previous one.
                received = std::max(now, received) + byteTime;
                if (auto event = reader.feed(quint8(buffer[i])))
                    handle(*event, received);
            }
        } else if (ready > 0 && (p.revents & (POLLHUP | POLLERR))) {
            // A device whose far end went away: wait for it to come back without spinning.
            ::usleep(20'000);
        }
        while (!outputs.empty() && outputs.begin()->first <= Clock::now()) {
            const Output out = outputs.begin()->second;
            outputs.erase(outputs.begin());
            writeAll(fd, out.bytes);
            if (out.closeAfter) {
                log(QStringLiteral("closing the line"));
                closed = true;
                break;
            }
        }
    }
    if (closed) {
        ::tcdrain(fd);
        ::close(fd);
        if (keepOpen >= 0)
            ::close(keepOpen);
    }

    int status = 0;
    if (parser.isSet(dump) && !writeText(parser.value(dump), memory.dump()))
        status = 1;
    if (parser.isSet(decode) && !writeText(parser.value(decode), decodeConfigTable(memory)))
        status = 1;
    if (parser.isSet(link))
        ::unlink(parser.value(link).toLocal8Bit().constData());
    std::fprintf(stderr, "ondrel-panel: %d packets, %d bytes written\n", packets,
                 memory.writtenCount());
    return status;
}
