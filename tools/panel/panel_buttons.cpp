#include "panel_buttons.h"

#include "panel_core.h"
#include "programming/config_table.h"
#include "tools/byte_presentation.h"

#include <QCommandLineParser>
#include <QStringList>
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

namespace ondrel::panel {
namespace {

constexpr quint16 kTableWord = 0x1600;
constexpr int kTableBytes = 4097;
constexpr auto kMomentaryTime = std::chrono::milliseconds(1000);

speed_t speedOf(qint64 baud) {
    switch (baud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 115200:
        return B115200;
    default: // 7600 and 28800 have no terminal speed; the pacing below still models them
        return B9600;
    }
}

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

void say(const QString& text) {
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

} // namespace

ButtonPanel::ButtonPanel()
    : control1_(QStringLiteral("control1"),
                QStringLiteral("Make control port 1 a pseudo-terminal linked at this path; "
                               "\"press N\" on standard input presses button N."),
                QStringLiteral("path")),
      control2_(QStringLiteral("control2"),
                QStringLiteral("Make control port 2 a pseudo-terminal linked at this path."),
                QStringLiteral("path")) {
    types_.fill(QStringLiteral("Not Defined"));
}

ButtonPanel::~ButtonPanel() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    for (ControlPort& port : ports_) {
        if (!port.link.isEmpty())
            ::unlink(port.link.toLocal8Bit().constData());
        if (port.master >= 0)
            ::close(port.master);
        if (port.slave >= 0)
            ::close(port.slave);
    }
}

void ButtonPanel::addOptions(QCommandLineParser& parser) const {
    parser.addOptions({control1_, control2_});
}

bool ButtonPanel::start(const QCommandLineParser& parser) {
    const QCommandLineOption* options[2] = {&control1_, &control2_};
    bool any = false;
    for (int i = 0; i < 2; ++i) {
        if (!parser.isSet(*options[i]))
            continue;
        ControlPort& port = ports_[i];
        char name[256] = {};
        if (openpty(&port.master, &port.slave, name, nullptr, nullptr) != 0) {
            std::fprintf(stderr, "ondrel-panel: cannot open a pseudo-terminal: %s\n",
                         std::strerror(errno));
            return false;
        }
        termios t{};
        tcgetattr(port.slave, &t);
        cfmakeraw(&t);
        tcsetattr(port.slave, TCSANOW, &t);
        // A full buffer (nobody reading) drops bytes instead of stopping the buttons.
        fcntl(port.master, F_SETFL, fcntl(port.master, F_GETFL) | O_NONBLOCK);
        port.link = parser.value(*options[i]);
        const QByteArray linkPath = port.link.toLocal8Bit();
        ::unlink(linkPath.constData());
        if (::symlink(name, linkPath.constData()) != 0) {
            std::fprintf(stderr, "ondrel-panel: cannot link %s: %s\n", linkPath.constData(),
                         std::strerror(errno));
            return false;
        }
        any = true;
    }
    if (any)
        thread_ = std::thread([this] { run(); });
    return true;
}

void ButtonPanel::tableWritten(const PanelMemory& memory, quint16 wordAddress) {
    if (wordAddress < kTableWord || wordAddress >= kTableWord + kTableBytes / 2 + 1)
        return;
    QByteArray table;
    for (quint32 i = kTableWord * 2u; table.size() < kTableBytes && memory.isWritten(i); ++i)
        table.append(char(memory.byteAt(i)));
    const std::lock_guard lock(tableMutex_);
    table_ = table;
    tableChanged_ = true;
}

void ButtonPanel::run() {
    using Clock = std::chrono::steady_clock;
    QByteArray pending;
    auto releaseAt = Clock::time_point::max();
    bool inputOpen = true;
    while (!stop_) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        const int ready = inputOpen ? ::poll(&p, 1, 50) : (::usleep(50'000), 0);
        if (ready > 0) {
            char buffer[512];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                inputOpen = false; // no more presses; the ports stay up
            } else {
                pending.append(buffer, n);
                for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
                    const QByteArray line = pending.left(end).trimmed();
                    pending.remove(0, end + 1);
                    const bool isPress = line.startsWith("press");
                    handleLine(line);
                    if (isPress)
                        releaseAt = Clock::now() + kMomentaryTime;
                }
            }
        }
        if (Clock::now() >= releaseAt) {
            release();
            releaseAt = Clock::time_point::max();
        }
    }
}

void ButtonPanel::handleLine(const QByteArray& line) {
    const QList<QByteArray> words = line.simplified().split(' ');
    bool ok = false;
    const int button = words.size() == 2 ? words[1].toInt(&ok) : 0;
    if (!ok || button < 1 || button > kButtonCount ||
        (words[0] != "press" && words[0] != "release")) {
        if (!line.isEmpty())
            say(QStringLiteral("? expected \"press N\" or \"release N\" with N from 1 to 10"));
        return;
    }
    if (words[0] == "press")
        press(button - 1);
    else
        release();
}

void ButtonPanel::press(int button) {
    ProjectState state;
    {
        const std::lock_guard lock(tableMutex_);
        if (const Status read = readConfigTable(table_, state); !read) {
            say(QStringLiteral("Button %1: nothing happens (%2)")
                    .arg(button + 1)
                    .arg(read.error().message));
            return;
        }
        if (tableChanged_) { // a newly programmed panel starts with the control off
            logic_ = SimulatorPanel();
            tableChanged_ = false;
        }
    }
    for (int i = 0; i < kButtonCount; ++i)
        types_[size_t(i)] = simulatorTypeText(state.button(i).Button_type);
    const SimulatorPress pressed = logic_.press(button, types_, state);
    QString line = QStringLiteral("Button %1 (%2): ").arg(button + 1).arg(types_[size_t(button)]);
    if (pressed.refused) {
        line += QStringLiteral("Control is currently off!");
    } else {
        const UploadStrings lists = state.button(button).setUpldStrngs();
        QStringList sent;
        for (int port = 0; port < 2; ++port) {
            const Result<QByteArray> bytes =
                bytesToSend(simulatorString(lists, port, *pressed.function));
            sent << QStringLiteral("port %1 %2")
                        .arg(port == 0 ? QStringLiteral("one") : QStringLiteral("two"))
                        .arg(bytes ? send(port, bytes.value(), state.port(port))
                                   : bytes.error().message);
        }
        line += sent.join(QStringLiteral(", "));
    }
    const ButtonConfig& b = state.button(button);
    line += QStringLiteral("; relay one %1, relay two %2")
                .arg(simulatorRelayText(b.getRelay1St(0)).value_or(QStringLiteral("?")),
                     simulatorRelayText(b.getRelay2St(0)).value_or(QStringLiteral("?")));
    say(line);
}

void ButtonPanel::release() {
    logic_.releaseMomentary(types_);
}

QString ButtonPanel::send(int index, const QByteArray& bytes, const CommSets& settings) {
    if (bytes.isEmpty())
        return QStringLiteral("No String Programmed");
    const ControlPort& port = ports_[index];
    if (port.master < 0)
        return QStringLiteral("(not connected) ") + hexBytes(bytes);
    const qint64 baud = settings.BaudRate.toInteger().value_or(0);
    const QString parity = settings.Parity.toText();
    termios t{};
    tcgetattr(port.slave, &t);
    cfsetispeed(&t, speedOf(baud));
    cfsetospeed(&t, speedOf(baud));
    t.c_cflag &= ~tcflag_t(PARENB | PARODD);
    if (parity == QLatin1String("EVEN") || parity == QLatin1String("ODD"))
        t.c_cflag |= PARENB | (parity == QLatin1String("ODD") ? PARODD : 0);
    tcsetattr(port.slave, TCSANOW, &t);
    const ssize_t n = ::write(port.master, bytes.constData(), size_t(bytes.size()));
    // The line is busy for the bytes' wire time; the next press waits for it like the panel.
    if (baud > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(
            bytes.size() * (t.c_cflag & PARENB ? 11 : 10) * 1'000'000LL / baud));
    if (n != bytes.size())
        return QStringLiteral("%1 (only %2 sent: nobody reads the port)")
            .arg(hexBytes(bytes))
            .arg(std::max<ssize_t>(n, 0));
    return hexBytes(bytes);
}

} // namespace ondrel::panel
