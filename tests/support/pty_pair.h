#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace ondrel::test {

// A pseudo-terminal pair in raw mode: the code under test opens `path()`, the test talks through
// the master end. The harness keeps its own handle on the far end open, so the master never
// fails with EIO while the port under test is closed.
class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return;
        // Raw at once, or bytes written before the port opens are echoed and CR becomes LF.
        termios t{};
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
        path_ = QString::fromLocal8Bit(name);
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0)
            ::close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return !path_.isEmpty(); }
    QString path() const { return path_; }

    void send(const QByteArray& bytes) const {
        if (master_ >= 0) [[maybe_unused]]
            auto n = ::write(master_, bytes.constData(), size_t(bytes.size()));
    }
    // What arrives on the master end within `timeoutMs`, stopping early once `count` bytes came.
    QByteArray receive(int count, int timeoutMs) const {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < count && master_ >= 0) {
            const int left = timeoutMs - int(timer.elapsed());
            pollfd p{master_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, left) <= 0)
                break;
            char buffer[512];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }
    // Hangs up the line, as a device that disappears would.
    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

} // namespace ondrel::test
