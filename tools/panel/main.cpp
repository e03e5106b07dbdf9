// ondrel-panel: a virtual Ondrel panel on a pseudo-terminal (or a given serial device) for tests,
// demos and installers without hardware. It answers the loader's reset poll and write packets
// like the panel does, can model the wire time of a baud rate, and can misbehave on request.

#include "panel_buttons.h"
#include "panel_core.h"
#include "programming/hex_generator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace ondrel::panel;
using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
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

// The device the panel answers on: a given serial device, or a new pseudo-terminal.
struct Line {
    int fd = -1;
    int keepOpen = -1; // our own handle on the pty's far end, so reads never fail while the tool
                       // has the port closed
    QString path;
};

bool openLine(const QString& device, int baudRate, Line& line) {
    if (!device.isEmpty()) {
        line.path = device;
        line.fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (line.fd < 0) {
            std::fprintf(stderr, "ondrel-panel: cannot open %s: %s\n", qPrintable(device),
                         std::strerror(errno));
            return false;
        }
        makeRaw(line.fd, baudRate);
        return true;
    }
    char name[256] = {};
    if (openpty(&line.fd, &line.keepOpen, name, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "ondrel-panel: cannot open a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return false;
    }
    // Raw at once: bytes sent before the tool opens the port must not be echoed or changed.
    makeRaw(line.keepOpen, 0);
    makeRaw(line.fd, 0);
    line.path = QString::fromLocal8Bit(name);
    return true;
}

// Plays the loader on the line until a stop signal, or until a fault closes the line.
void serve(const Line& line, VirtualLoader& loader) {
    const auto start = Clock::now();
    auto nowUs = [start] {
        return std::chrono::duration_cast<microseconds>(Clock::now() - start).count();
    };
    char buffer[4096];
    while (!stopRequested) {
        bool closeNow = false;
        writeAll(line.fd, loader.takeDue(nowUs(), &closeNow));
        if (closeNow) {
            std::fprintf(stderr, "panel: closing the line\n");
            ::tcdrain(line.fd);
            ::close(line.fd);
            if (line.keepOpen >= 0)
                ::close(line.keepOpen);
            return;
        }
        // Wake exactly when the next output is due: whole milliseconds would make the modelled
        // wire time late, or spin through the last fraction.
        const qint64 next = loader.nextDueUs();
        const qint64 waitUs = next < 0 ? 100'000 : std::clamp<qint64>(next - nowUs(), 0, 100'000);
        const timespec wait{0, long(waitUs) * 1000};
        pollfd p{line.fd, POLLIN, 0};
        const int ready = ::ppoll(&p, 1, &wait, nullptr);
        if (ready > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(line.fd, buffer, sizeof buffer);
            if (n > 0)
                loader.receive(QByteArray(buffer, n), nowUs());
        } else if (ready > 0 && (p.revents & (POLLHUP | POLLERR))) {
            // A device whose far end went away: wait for it to come back without spinning.
            ::usleep(20'000);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ondrel-panel"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual Ondrel panel. Opens a pseudo-terminal, prints its path on the first line of "
        "standard output, and answers the loader there until it is stopped (Ctrl+C, SIGTERM or "
        "SIGHUP)."));
    parser.addHelpOption();
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Use this serial device instead of a new pty."),
                                    QStringLiteral("path"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make a symbolic link to the pty at this path."),
                                  QStringLiteral("path"));
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
    parser.addOptions({device, link, dump, decode, verbose, demoFirmware});
    addFaultOptions(parser);
    ButtonPanel buttons; // --control1/--control2 and the press lines on standard input
    buttons.addOptions(parser);
    parser.process(app);
    const ondrel::Result<Faults> faults = faultsFromOptions(parser);
    if (!faults) {
        std::fprintf(stderr, "ondrel-panel: %s\n", qPrintable(faults.error().message));
        return 2;
    }
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
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Line line;
    if (!openLine(parser.isSet(device) ? parser.value(device) : QString(),
                  parser.value(QStringLiteral("baud")).toInt(), line))
        return 1;
    const QString path = line.path;
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

    VirtualLoader loader(faults.value());
    if (parser.isSet(verbose))
        loader.log = [](const QString& text) {
            std::fprintf(stderr, "panel: %s\n", qPrintable(text));
        };
    loader.written = [&buttons](const PanelMemory& memory, quint16 wordAddress) {
        buttons.tableWritten(memory, wordAddress);
    };
    serve(line, loader);

    int status = 0;
    if (parser.isSet(dump) && !writeText(parser.value(dump), loader.memory().dump()))
        status = 1;
    if (parser.isSet(decode) &&
        !writeText(parser.value(decode), decodeConfigTable(loader.memory())))
        status = 1;
    if (parser.isSet(link))
        ::unlink(parser.value(link).toLocal8Bit().constData());
    std::fprintf(stderr, "ondrel-panel: %d packets, %d bytes written\n", loader.packets(),
                 loader.memory().writtenCount());
    return status;
}
