// bench-monitor: the incoming data monitor on a line that never pauses. A writer thread feeds a
// pseudo-terminal at the pace of 115200 baud (11,520 bytes a second, every byte value) while the
// window runs its event loop; then the window's log is saved and compared byte for byte with what
// was sent. Prints bytes shown per second, the event loop's longest stall, and memory.

#include "bench_support.h"
#include "platform/qt_serial_line.h"
#include "support/pty_pair.h"
#include "ui/tools/diagnostic_in.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <ctime>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace ondrel;

namespace {

constexpr int kBaud = 115200;
constexpr int kBytesPerSecond = kBaud / 10;
constexpr int kStallTargetMs = 50;

qint64 residentKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// CPU time of the calling thread: unlike the wall clock, it does not grow while other programs
// on a busy machine have the processor.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// The byte at position i of the stream: every value, in an order that is not a plain count.
char streamByte(qint64 i) {
    return char((i * 167 + i / 256) & 0xFF);
}

// The bytes of the log's lines: the third field, hexadecimal, of every burst line.
QByteArray loggedBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        bench::fail(QStringLiteral("cannot read the saved log %1").arg(path));
    QByteArray bytes;
    file.readLine(); // the heading
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().split(' ');
        // date, time, "", "port", N, (device), settings, "", hex bytes..., "", |text|...
        int i = 7;
        while (i < fields.size() && fields[i].isEmpty())
            ++i;
        for (; i < fields.size() && fields[i].size() == 2; ++i)
            bytes.append(char(fields[i].toInt(nullptr, 16)));
    }
    return bytes;
}

struct Figures {
    qint64 sent = 0;
    qint64 logged = 0;
    bool same = false;
    double shownPerSecond = 0;
    qint64 stallMs = 0;
    double busyMs = 0; // the window thread's own CPU time between two ticks, at most
    qint64 rssAfter10s = 0;
    qint64 rssEnd = 0;
};

Figures run(bool burstView, int seconds) {
    test::PtyPair pty;
    if (!pty.ok())
        bench::fail(QStringLiteral("no pseudo-terminal"));
    qputenv("ONDREL_PORT1", pty.path().toLocal8Bit());
    QtSerialLineFactory lines;
    ui::Diagnostic_in window(lines);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.findChild<QRadioButton*>(QStringLiteral("diagBaud_4"))->click();
    if (burstView) {
        window.findChild<QCheckBox*>(QStringLiteral("chkTimeStamps"))->click();
        window.findChild<QCheckBox*>(QStringLiteral("chkHexAscii"))->click();
    }
    window.show();

    std::atomic<bool> stop{false};
    std::atomic<qint64> sent{0};
    std::thread writer([&] {
        QElapsedTimer clock;
        clock.start();
        qint64 n = 0;
        while (!stop) {
            const qint64 due = clock.nsecsElapsed() * kBytesPerSecond / 1'000'000'000;
            QByteArray chunk;
            for (; n < due; ++n)
                chunk.append(streamByte(n));
            pty.send(chunk);
            sent = n;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });

    Figures f;
    QElapsedTimer clock, sinceTick;
    clock.start();
    sinceTick.start();
    QTimer ticker; // the longest time between two of its ticks is the longest stall
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    double cpuAtTick = threadCpuMs();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        f.stallMs = std::max(f.stallMs, sinceTick.restart() - 5);
        const double cpu = threadCpuMs();
        f.busyMs = std::max(f.busyMs, cpu - cpuAtTick);
        cpuAtTick = cpu;
    });
    ticker.start();
    bool sampled = false;
    while (clock.elapsed() < seconds * 1000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (!sampled && clock.elapsed() >= 10'000) {
            f.rssAfter10s = residentKb();
            sampled = true;
        }
    }
    stop = true;
    writer.join();
    const qint64 shownDuringRun = window.bytesShown();
    f.shownPerSecond = double(shownDuringRun) / seconds;
    // The last bytes and the last burst come in after the writer stops.
    QElapsedTimer drain;
    drain.start();
    while (drain.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    f.rssEnd = residentKb();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("monitor.log"));
    if (Status saved = window.saveLog(path); !saved)
        bench::fail(saved.error().message);
    QByteArray expected;
    for (qint64 i = 0; i < sent; ++i)
        expected.append(streamByte(i));
    const QByteArray logged = loggedBytes(path);
    f.sent = sent;
    f.logged = logged.size();
    f.same = logged == expected;
    window.close();
    return f;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench-monitor"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The monitor window at 115200 baud of continuous data."));
    parser.addHelpOption();
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Length of each run (default 60)."),
                                     QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption view(QStringLiteral("view"),
                                  QStringLiteral("plain, bursts or both (default)."),
                                  QStringLiteral("which"), QStringLiteral("both"));
    parser.addOptions({seconds, view});
    parser.process(app);
    const QString which = parser.value(view);
    const int length = std::max(1, parser.value(seconds).toInt());

    bool ok = true;
    for (bool burstView : {false, true}) {
        if (which == (burstView ? QLatin1String("plain") : QLatin1String("bursts")))
            continue;
        const Figures f = run(burstView, length);
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        bench::out() << (burstView ? "time stamps + hex/ASCII view" : "plain view (default)")
                     << ", " << length << " s at " << kBaud << " baud:\n"
                     << "  bytes sent " << f.sent << ", logged " << f.logged
                     << (f.same ? " (every byte, in order)" : " (LOG DIFFERS)") << "\n"
                     << "  bytes shown per second " << qRound(f.shownPerSecond) << " (line carries "
                     << kBytesPerSecond << ")\n"
                     << "  longest stall of the window thread " << f.stallMs << " ms (target < "
                     << kStallTargetMs << "), of which its own work " << qRound(f.busyMs)
                     << " ms at most\n"
                     << "  resident memory after 10 s " << f.rssAfter10s / 1024
                     << " MB, at the end " << f.rssEnd / 1024 << " MB; peak of the process "
                     << usage.ru_maxrss / 1024 << " MB\n"
                     << Qt::flush;
        ok = ok && f.same && f.stallMs < kStallTargetMs;
    }
    return ok ? 0 : 1;
}
