// monitor: what arrives on a PC serial port, one line per burst, named after the configuration and
// the catalogue; with --check, the check of a programmed panel without windows.
#include "app_paths.h"
#include "catalogue/catalogue.h"
#include "cli/cli_command.h"
#include "cli/cli_port.h"
#include "cli/cli_project.h"
#include "platform/serial_ports.h"
#include "project/byte_text.h"
#include "project/project_state.h"
#include "tools/monitor_bursts.h"
#include "tools/panel_check.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <optional>

namespace ondrel::cli {
namespace {

const QString kName = QStringLiteral("monitor");

struct Options {
    QString port;
    std::optional<qint32> baud;
    std::optional<double> seconds;
    int gapMs = 100;
    QString log;
    QString check;
    int controlPort = 0;
};

int parse(const QStringList& args, Options& o) {
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("B"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QString(), QStringLiteral("S"));
    const QCommandLineOption gap(QStringLiteral("gap"), QString(), QStringLiteral("MS"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption check(QStringLiteral("check"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption control(QStringLiteral("control-port"), QString(),
                                     QStringLiteral("1|2"));
    parser.addOptions({port, baud, seconds, gap, log, check, control});
    if (!parser.parse(QStringList{kName} + args))
        return usageError(kName, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(kName, QStringLiteral("unexpected argument %1")
                                     .arg(parser.positionalArguments().constFirst()));
    if (!parser.isSet(port))
        return usageError(kName, QStringLiteral("expects --port N"));
    o.port = parser.value(port);
    bool ok = true;
    if (parser.isSet(baud)) {
        o.baud = parser.value(baud).toInt(&ok);
        if (!ok || *o.baud <= 0)
            return usageError(kName, QStringLiteral("--baud needs a positive number"));
    }
    if (parser.isSet(seconds)) {
        o.seconds = parser.value(seconds).toDouble(&ok);
        if (!ok || *o.seconds <= 0)
            return usageError(kName, QStringLiteral("--seconds needs a positive number"));
    }
    if (parser.isSet(gap)) {
        o.gapMs = parser.value(gap).toInt(&ok);
        if (!ok || o.gapMs < 1)
            return usageError(kName, QStringLiteral("--gap needs milliseconds"));
    }
    o.log = parser.value(log);
    o.check = parser.value(check);
    if (parser.isSet(control)) {
        const QString value = parser.value(control);
        if (o.check.isEmpty())
            return usageError(kName, QStringLiteral("--control-port goes with --check"));
        if (value != QLatin1String("1") && value != QLatin1String("2"))
            return usageError(kName, QStringLiteral("--control-port is 1 or 2"));
        o.controlPort = value.toInt() - 1;
    }
    return ExitOk;
}

// One run of the monitor: what the options asked for and what was opened for them.
struct Session {
    Options o;
    ProjectState state;
    std::optional<PanelCheck> check;
    BurstNamer namer;
    SerialSettings settings;
    std::optional<QFile> logFile;
    std::unique_ptr<SerialLine> line;
    QString portText;
    bool failed = false;
};

// With --check: the configuration, its control port's settings and what to expect from it.
bool prepareCheck(Session& s) {
    if (!openProjectFile(s.o.check, s.state))
        return false;
    const CommSets& port = s.state.port(s.o.controlPort);
    if (!s.o.baud && port.BaudRate.toInteger().value_or(0) > 0)
        s.settings.baudRate = qint32(*port.BaudRate.toInteger());
    s.settings.parity = parityOrNone(port.Parity.toText());
    s.check.emplace(s.state, std::vector<int>{s.o.controlPort});
    if (s.check->items().empty()) {
        err(QStringLiteral("%1: no button has a string for control port %2; nothing to "
                           "check.\n")
                .arg(s.o.check)
                .arg(s.o.controlPort + 1));
        return false;
    }
    const Catalogue catalogue(catalogPath());
    s.namer = BurstNamer(s.state, catalogueStrings(s.state, catalogue));
    return true;
}

bool openLog(Session& s) {
    if (s.o.log.isEmpty())
        return true;
    s.logFile.emplace(s.o.log);
    if (!s.logFile->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        err(QStringLiteral("cannot write the log %1: %2\n").arg(s.o.log, s.logFile->errorString()));
        return false;
    }
    return true;
}

// The port, then the log: a port that does not exist leaves no log behind.
bool openPortAndLog(Session& s) {
    const Result<QString> device = resolvePort(s.o.port);
    if (!device) {
        err(device.error().message + QLatin1Char('\n'));
        return false;
    }
    if (!openLog(s))
        return false;
    s.line = makeSerialLine(device.value());
    if (Status opened = s.line->open(s.settings); !opened) {
        err(opened.error().message + QLatin1Char('\n'));
        return false;
    }
    if (!s.line->notice().isEmpty())
        err(QStringLiteral("note: %1\n").arg(s.line->notice()));
    s.portText = QStringLiteral("port %1 (%2)").arg(s.o.port, device.value());
    return true;
}

// What to the standard output goes to the log too.
void show(Session& s, const QString& text) {
    out(text);
    if (s.logFile)
        s.logFile->write(text.toUtf8());
}

void printHeader(Session& s) {
    show(s, QStringLiteral("Monitoring %1 at %2%3 from %4\n")
                .arg(s.portText, s.settings.toString(),
                     s.check ? QStringLiteral(", checking control port %1 of %2")
                                   .arg(s.o.controlPort + 1)
                                   .arg(s.o.check)
                             : QString(),
                     burstDateTime(QDateTime::currentMSecsSinceEpoch())));
    if (s.check) // what to press
        for (const PanelCheck::Item& item : s.check->items())
            out(QStringLiteral("  expecting %1 (%2)\n")
                    .arg(item.expected.name(), hexText(item.expected.bytes)));
}

void handleBurst(Session& s, const Burst& burst) {
    const QString text =
        monitorLogLine(burst, s.portText, s.settings.toString(), s.namer.name(burst.bytes));
    out(text + QLatin1Char('\n'));
    if (s.logFile &&
        (s.logFile->write((text + QLatin1Char('\n')).toUtf8()) < 0 || !s.logFile->flush())) {
        err(QStringLiteral("cannot write the log %1: %2\n").arg(s.o.log, s.logFile->errorString()));
        s.failed = true;
    }
    if (s.check)
        s.check->feed(s.o.controlPort, burst.bytes);
}

// Reads bursts until Ctrl+C, the end of --seconds, a failure or a complete check.
void watch(Session& s) {
    const InterruptScope interruptible;
    BurstSplitter splitter(s.o.gapMs);
    QElapsedTimer clock;
    clock.start();
    while (!interruptFlag() && !s.failed && !(s.check && s.check->complete()) &&
           (!s.o.seconds || clock.elapsed() < qint64(*s.o.seconds * 1000))) {
        const Result<QByteArray> bytes = s.line->read(4096, 20);
        if (!bytes) {
            err(bytes.error().message + QLatin1Char('\n'));
            s.failed = true;
            break;
        }
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (const Burst& burst : splitter.feed(bytes.value(), now))
            handleBurst(s, burst);
        if (auto burst = splitter.flush(now))
            handleBurst(s, *burst);
    }
    if (auto burst = splitter.finish())
        handleBurst(s, *burst);
}

int finish(Session& s) {
    s.line->close();
    if (s.check)
        show(s, s.check->report());
    if (s.logFile && !s.failed && !s.logFile->flush()) { // the last lines must reach the disk too
        err(QStringLiteral("cannot write the log %1: %2\n").arg(s.o.log, s.logFile->errorString()));
        s.failed = true;
    }
    return !s.failed && (!s.check || s.check->complete()) ? ExitOk : ExitFailure;
}

int runMonitor(const QStringList& args) {
    Session s;
    if (const int status = parse(args, s.o))
        return status;
    s.settings = SerialSettings{s.o.baud.value_or(9600), Parity::None, 8, 1};
    if (!s.o.check.isEmpty() && !prepareCheck(s))
        return ExitFailure;
    if (!openPortAndLog(s))
        return ExitFailure;
    printHeader(s);
    watch(s);
    return finish(s);
}

} // namespace

ONDREL_CLI_COMMAND(
    monitor,
    {kName,
     QStringLiteral("--port N|DEVICE [--baud B] [--seconds S] [--gap MS] [--log FILE] "
                    "[--check FILE.qcd [--control-port 1|2]]"),
     QStringLiteral("Shows what arrives on a serial port; checks a programmed panel."),
     QStringLiteral(
         "Prints one line per burst (bytes without a pause of more than --gap ms, default 100):\n"
         "time, port, settings, hexadecimal, the bytes as text with control characters as\n"
         "<CR>-style names, and what the burst is. --log FILE writes the same lines to FILE.\n"
         "Runs until Ctrl+C, or for --seconds S. Without --check the port runs at --baud B\n"
         "(default 9600), no parity, 8 data bits, 1 stop bit. DEVICE may be a serial server in\n"
         "the network: rfc2217://HOST:PORT or socket://HOST:PORT.\n\n"
         "--check FILE.qcd checks a programmed panel: connect the PC port to the panel's control\n"
         "port 1 (or the one --control-port names) and press every button; Toggle buttons twice.\n"
         "The settings default to that control port's settings in FILE. Bursts are named after\n"
         "FILE's buttons and the catalogue's commands of its models. Ends with exit status 0 as\n"
         "soon as every expected string arrived, or 1 when the time runs out, with a summary\n"
         "naming each missing string and each unexpected burst with the nearest expected one."),
     runMonitor});

} // namespace ondrel::cli
