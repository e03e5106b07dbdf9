#include "pty_line.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace ondrel::tools {

namespace {

const struct {
    int baud;
    speed_t speed;
} kSpeeds[] = {{9600, B9600},   {19200, B19200},   {38400, B38400},
               {57600, B57600}, {115200, B115200}, {4800, B4800}};

volatile std::sig_atomic_t stopRequested = 0;
void onStopSignal(int) {
    stopRequested = 1;
}

} // namespace

const volatile std::sig_atomic_t& stopOnSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return stopRequested;
}

bool makeRaw(int fd, int baud) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    if (baud > 0) {
        speed_t speed = B19200;
        for (const auto& s : kSpeeds)
            if (s.baud == baud)
                speed = s.speed;
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

int lineBaud(const PtyLine& line) {
    termios t{};
    if (tcgetattr(line.fd, &t) != 0)
        return 0;
    const speed_t speed = cfgetospeed(&t);
    for (const auto& s : kSpeeds)
        if (s.speed == speed)
            return s.baud;
    return 0;
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

bool openLine(const char* program, const QString& device, int baudRate, PtyLine& line) {
    if (!device.isEmpty()) {
        line.path = device;
        line.fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (line.fd < 0) {
            std::fprintf(stderr, "%s: cannot open %s: %s\n", program, qPrintable(device),
                         std::strerror(errno));
            return false;
        }
        makeRaw(line.fd, baudRate);
        return true;
    }
    char name[256] = {};
    if (openpty(&line.fd, &line.keepOpen, name, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "%s: cannot open a pseudo-terminal: %s\n", program,
                     std::strerror(errno));
        return false;
    }
    // Raw at once: bytes sent before the tool opens the port must not be echoed or changed.
    makeRaw(line.keepOpen, 0);
    makeRaw(line.fd, 0);
    line.path = QString::fromLocal8Bit(name);
    return true;
}

bool linkLine(const char* program, const PtyLine& line, const QString& link) {
    const QByteArray linkPath = link.toLocal8Bit();
    ::unlink(linkPath.constData());
    if (::symlink(line.path.toLocal8Bit().constData(), linkPath.constData()) == 0)
        return true;
    std::fprintf(stderr, "%s: cannot link %s: %s\n", program, linkPath.constData(),
                 std::strerror(errno));
    return false;
}

void serveFarEnd(const char* program, const PtyLine& line, FarEnd& farEnd,
                 const volatile std::sig_atomic_t& stop,
                 const std::function<void()>& beforeReceive) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto nowUs = [start] {
        return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    };
    char buffer[4096];
    // Output that leaves later than due (the machine held this program back) is outside what the
    // far end models: a repeat meant for 10 ms after its answer may leave at 20. Said at the end.
    qint64 latestUs = 0;
    auto sayLate = [&] {
        if (latestUs > 2000)
            std::fprintf(stderr, "%s: output up to %.1f ms later than due\n", program,
                         double(latestUs) / 1000);
    };
    while (!stop) {
        bool closeNow = false;
        const qint64 dueUs = farEnd.nextDueUs();
        const qint64 takenUs = nowUs();
        if (dueUs >= 0 && dueUs <= takenUs)
            latestUs = std::max(latestUs, takenUs - dueUs);
        writeAll(line.fd, farEnd.takeDue(takenUs, &closeNow));
        if (closeNow) {
            sayLate();
            std::fprintf(stderr, "%s: closing the line\n", program);
            ::tcdrain(line.fd);
            ::close(line.fd);
            if (line.keepOpen >= 0)
                ::close(line.keepOpen);
            return;
        }
        // Wake exactly when the next output is due: whole milliseconds would make the modelled
        // wire time late, or spin through the last fraction.
        const qint64 next = farEnd.nextDueUs();
        const qint64 waitUs = next < 0 ? 100'000 : std::clamp<qint64>(next - nowUs(), 0, 100'000);
        const timespec wait{0, long(waitUs) * 1000};
        pollfd p{line.fd, POLLIN, 0};
        const int ready = ::ppoll(&p, 1, &wait, nullptr);
        if (ready > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(line.fd, buffer, sizeof buffer);
            if (n > 0) {
                if (beforeReceive)
                    beforeReceive();
                farEnd.receive(QByteArray(buffer, n), nowUs());
            }
        } else if (ready > 0 && (p.revents & (POLLHUP | POLLERR))) {
            // A device whose far end went away: wait for it to come back without spinning.
            ::usleep(20'000);
        }
    }
    sayLate();
}

} // namespace ondrel::tools
