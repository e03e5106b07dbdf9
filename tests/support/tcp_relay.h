#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <deque>
#include <limits>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace ondrel::test {

// A TCP relay on a local port in front of the server at 127.0.0.1:`target`, as a long network
// path: each piece of data goes on `delayMs` after it arrived, in order, each way. It can cut
// the connection (both sides closed, data in flight lost) once the client has sent a given
// number of bytes, and play a server that answers otherwise by changing what it sends. It
// serves one connection.
class TcpRelay {
public:
    using Clock = std::chrono::steady_clock;

    TcpRelay(quint16 target, int delayMs) : target_(target), delay_(delayMs) {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(0);
        socklen_t size = sizeof a;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), size) == 0 &&
            ::listen(listen_, 1) == 0)
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &size);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~TcpRelay() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }

    quint16 port() const { return port_; }
    void cutAfter(qint64 clientBytes) { cutAt_ = clientBytes; }
    // Before the connection: the server's `from` reaches the client as `to`.
    void rewrite(const QByteArray& from, const QByteArray& to) { from_ = from, to_ = to; }
    bool hasCut() const { return cut_; }
    Clock::time_point cutTime() const { return cutTime_; }

private:
    struct Piece {
        Clock::time_point due;
        QByteArray bytes;
    };

    static sockaddr_in loopback(quint16 port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }

    void run() {
        pollfd fds[2] = {{listen_, POLLIN, 0}, {-1, POLLIN, 0}}; // the client, then the server
        while (!stop_ && ::poll(fds, 1, 20) <= 0) {
        }
        if (stop_)
            return;
        fds[0].fd = ::accept(listen_, nullptr, nullptr);
        fds[1].fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in to = loopback(target_);
        const int one = 1;
        bool open = ::connect(fds[1].fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
        for (const pollfd& p : fds)
            ::setsockopt(p.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::deque<Piece> queues[2]; // what each side sent, waiting to go to the other
        qint64 fromClient = 0;
        while (!stop_ && open) {
            int waitMs = 20;
            for (const auto& q : queues)
                if (!q.empty())
                    waitMs = std::min<int>(waitMs, std::chrono::ceil<std::chrono::milliseconds>(
                                                       q.front().due - Clock::now())
                                                       .count());
            ::poll(fds, 2, std::max(waitMs, 0));
            for (int side = 0; side < 2 && open; ++side) {
                char buffer[4096];
                const ssize_t n =
                    fds[side].revents ? ::read(fds[side].fd, buffer, sizeof buffer) : -2;
                open = n != 0 && n != -1;
                QByteArray bytes(buffer, int(std::max<ssize_t>(n, 0)));
                if (side == 1 && !from_.isEmpty())
                    bytes.replace(from_, to_);
                if (n > 0)
                    queues[side].push_back(
                        {Clock::now() + std::chrono::milliseconds(delay_), bytes});
                if (side == 0 && n > 0 && (fromClient += n) >= cutAt_) {
                    cutTime_ = Clock::now();
                    cut_ = true;
                    open = false;
                }
            }
            for (int side = 0; side < 2 && open; ++side)
                for (auto& q = queues[side]; !q.empty() && q.front().due <= Clock::now();
                     q.pop_front())
                    ::send(fds[1 - side].fd, q.front().bytes.constData(),
                           size_t(q.front().bytes.size()), MSG_NOSIGNAL);
        }
        for (const pollfd& p : fds)
            ::close(p.fd);
    }

    quint16 target_;
    int delay_;
    int listen_ = -1;
    quint16 port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> cutAt_{std::numeric_limits<qint64>::max()};
    std::atomic<bool> cut_{false};
    std::atomic<Clock::time_point> cutTime_{};
    QByteArray from_, to_;
};

} // namespace ondrel::test
