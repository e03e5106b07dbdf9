// bench-projector: how close the round trip the projector test shows comes to what the projector
// took. Asks the virtual projector (told to wait --slow ms before each answer, and modelling the
// wire time of its baud rate) for its power state many times through the same code as the window
// and ondrel-cli projector, and compares the time shown with that wait plus the wire time of the
// question and the answer. The same question asked by plain reads and writes on the device, in
// turn with the tool's, shows what the pseudo-terminal and the machine's load add by themselves.

#include "app_paths.h"
#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "platform/serial_ports.h"
#include "projector/projector_exchange.h"
#include "support/pty_program.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace ondrel;

namespace {

constexpr int kBitsPerByte = 10;

// The question by plain system calls: milliseconds from writing it until `answerBytes` bytes
// are in, or -1.
double bareRoundTrip(const QString& device, int baud, const QByteArray& question,
                     qsizetype answerBytes) {
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    const speed_t speed = baud == 9600 ? B9600 : baud == 38400 ? B38400 : B115200;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    tcsetattr(fd, TCSANOW, &t);
    QElapsedTimer clock;
    clock.start();
    qsizetype got = 0;
    double at = -1;
    if (::write(fd, question.constData(), size_t(question.size())) == question.size())
        while (got < answerBytes && clock.elapsed() < 2000) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                char buffer[256];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                got += std::max<ssize_t>(n, 0);
                at = double(clock.nsecsElapsed()) / 1e6;
            }
        }
    ::close(fd);
    return got >= answerBytes ? at : -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Compares the round trip shown with the virtual projector's own time."));
    parser.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Questions per model and wait."),
                                        QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption normal(QStringLiteral("no-realtime"),
                                    QStringLiteral("Run at normal priority."));
    parser.addOptions({runsOption, normal});
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const bool realtime = !parser.isSet(normal) && bench::requestRealtime();

    const QString program = QCoreApplication::applicationDirPath() + "/ondrel-projector";
    const Catalogue catalogue(catalogPath());
    bench::out() << QStringLiteral("Round trip shown against ondrel-projector --slow MS, %1 power "
                                   "questions each; scheduling %2, load average %3")
                        .arg(runs)
                        .arg(realtime ? QStringLiteral("real-time") : QStringLiteral("normal"),
                             bench::loadAverage())
                 << Qt::endl;
    bench::out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                        .arg(QStringLiteral("model"), -20)
                        .arg(QStringLiteral("slow ms"), 8)
                        .arg(QStringLiteral("wire ms"), 8)
                        .arg(QStringLiteral("expected"), 9)
                        .arg(QStringLiteral("shown min-max"), 14)
                        .arg(QStringLiteral("off: median"), 12)
                        .arg(QStringLiteral("most"), 6)
                        .arg(QStringLiteral("bare line most"), 15)
                 << Qt::endl;
    double worst = 0, worstMedian = 0, worstBare = 0;
    int within = 0, asked = 0; // answers shown within 1 ms of the expected time
    for (const char* name : {"Epson/EB-85", "NEC/P474W", "ViewSonic/PJD5123P"}) {
        const Result<ProjectorModel> model =
            loadProjectorModel(catalogue, QString::fromLatin1(name));
        if (!model || !model.value().replies)
            bench::fail(QStringLiteral("%1 is not in the catalogue with its replies").arg(name));
        const auto request = queryRequest(model.value(), QStringLiteral("power"));
        const SerialSettings settings = model.value().settings();
        for (const int slow : {0, 20, 100, 250}) {
            test::PtyProgram projector(program,
                                       {"--model", name, "--on", "--slow", QString::number(slow)});
            if (!projector.ok())
                bench::fail(QStringLiteral("ondrel-projector did not start; build the tool first"));
            const std::unique_ptr<SerialLine> line = makeSystemLine(projector.path());
            if (Status opened = line->open(settings); !opened)
                bench::fail(opened.error().message);
            qint64 shownMin = -1, shownMax = -1;
            double expected = 0, bareOff = 0;
            std::vector<double> offs;
            for (int run = 0; run < runs; ++run) {
                const Exchange x = runExchange(*line, model.value(), *request, settings);
                if (x.roundTripMs < 0)
                    bench::fail(QStringLiteral("%1 gave no answer: %2").arg(name, x.meaning()));
                const double wire = double(x.sent.size() + x.received.size()) * kBitsPerByte *
                                    1000.0 / settings.baudRate;
                expected = slow + wire;
                const qint64 shown = qRound64(x.roundTripMs); // as the window shows it
                shownMin = shownMin < 0 ? shown : std::min(shownMin, shown);
                shownMax = std::max(shownMax, shown);
                offs.push_back(std::abs(double(shown) - expected));
                // The same question without the tool, on the line the tool lets go for it.
                line->close();
                const double bare = bareRoundTrip(projector.path(), settings.baudRate,
                                                  request->bytes, x.received.size());
                if (bare < 0)
                    bench::fail(QStringLiteral("%1 gave the bare line no answer").arg(name));
                bareOff = std::max(bareOff, std::abs(bare - expected));
                if (Status opened = line->open(settings); !opened)
                    bench::fail(opened.error().message);
            }
            line->close();
            std::sort(offs.begin(), offs.end());
            asked += int(offs.size());
            within +=
                int(std::count_if(offs.begin(), offs.end(), [](double o) { return o <= 1.0; }));
            const double median = offs[offs.size() / 2], off = offs.back();
            worst = std::max(worst, off);
            worstMedian = std::max(worstMedian, median);
            worstBare = std::max(worstBare, bareOff);
            bench::out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                                .arg(QString::fromLatin1(name), -20)
                                .arg(slow, 8)
                                .arg(expected - slow, 8, 'f', 2)
                                .arg(expected, 9, 'f', 2)
                                .arg(QStringLiteral("%1-%2").arg(shownMin).arg(shownMax), 14)
                                .arg(median, 12, 'f', 2)
                                .arg(off, 6, 'f', 2)
                                .arg(bareOff, 15, 'f', 2)
                         << Qt::endl;
        }
    }
    bench::out() << QStringLiteral("Shown against expected: %1 of %2 within 1 ms, median within "
                                   "%3 ms, at most %4 ms; the bare line at most %5 ms")
                        .arg(within)
                        .arg(asked)
                        .arg(worstMedian, 0, 'f', 2)
                        .arg(worst, 0, 'f', 2)
                        .arg(worstBare, 0, 'f', 2)
                 << Qt::endl;
    return worstMedian <= 1.0 ? 0 : 1;
}
