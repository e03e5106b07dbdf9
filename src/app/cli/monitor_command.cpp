// monitor: what arrives on a PC serial port, one line per burst, named after the configuration and
// the catalogue; with --check, the check of a programmed panel without windows.
#include "app_paths.h"
#include "catalogue/catalogue.h"
#include "cli/cli_command.h"
#include "cli/cli_project.h"
#include "platform/serial_ports.h"
#include "project/project_state.h"
#include "tools/monitor_bursts.h"
#include "tools/panel_check.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <atomic>
#include <csignal>
#include <optional>

namespace ondrel::cli {
namespace {

const QString kName = QStringLiteral("monitor");
std::atomic<bool> interrupted{false};

extern "C" void onMonitorInterrupt(int) {
    interrupted = true;
}

Result<QString> deviceFor(const QString& port) {
    bool isNumber = false;
    const int number = port.toInt(&isNumber);
    if (isNumber)
        return QtSerialLineFactory().deviceForPort(number);
    return port;
}

char parityLetter(const Value& parity) {
    const QString text = parity.toText();
    return text == QLatin1String("EVEN") ? 'E' : text == QLatin1String("ODD") ? 'O' : 'N';
}

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

int runMonitor(const QStringList& args) {
    Options o;
    if (const int status = parse(args, o))
        return status;
    ProjectState state;
    std::optional<PanelCheck> check;
    BurstNamer namer;
    SerialSettings settings{o.baud.value_or(9600), 'N', 8, 1};
    if (!o.check.isEmpty()) {
        if (!openProjectFile(o.check, state))
            return ExitFailure;
        const CommSets& port = state.port(o.controlPort);
        if (!o.baud && port.BaudRate.toInteger().value_or(0) > 0)
            settings.baudRate = qint32(*port.BaudRate.toInteger());
        settings.parity = parityLetter(port.Parity);
        check.emplace(state, std::vector<int>{o.controlPort});
        if (check->items().empty()) {
            err(QStringLiteral("%1: no button has a string for control port %2; nothing to "
                               "check.\n")
                    .arg(o.check)
                    .arg(o.controlPort + 1));
            return ExitFailure;
        }
        const Catalogue catalogue(catalogPath());
        namer = BurstNamer(state, catalogueStrings(state, catalogue));
    }
    const Result<QString> device = deviceFor(o.port);
    if (!device) {
        err(device.error().message + QLatin1Char('\n'));
        return ExitFailure;
    }
    std::optional<QFile> logFile;
    if (!o.log.isEmpty()) {
        logFile.emplace(o.log);
        if (!logFile->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            err(QStringLiteral("cannot write the log %1: %2\n").arg(o.log, logFile->errorString()));
            return ExitFailure;
        }
    }
    const std::unique_ptr<SerialLine> line = makeSerialLine(device.value());
    if (Status opened = line->open(settings); !opened) {
        err(opened.error().message + QLatin1Char('\n'));
        return ExitFailure;
    }
    if (!line->notice().isEmpty())
        err(QStringLiteral("note: %1\n").arg(line->notice()));
    const QString portText = QStringLiteral("port %1 (%2)").arg(o.port, device.value());
    const QString header = QStringLiteral("Monitoring %1 at %2%3 from %4\n")
                               .arg(portText, settings.toString(),
                                    check ? QStringLiteral(", checking control port %1 of %2")
                                                .arg(o.controlPort + 1)
                                                .arg(o.check)
                                          : QString(),
                                    burstDateTime(QDateTime::currentMSecsSinceEpoch()));
    out(header);
    if (logFile)
        logFile->write(header.toUtf8());
    if (check) // what to press
        for (const PanelCheck::Item& item : check->items())
            out(QStringLiteral("  expecting %1 (%2)\n")
                    .arg(item.expected.name(), hexText(item.expected.bytes)));

    interrupted = false;
    std::signal(SIGINT, onMonitorInterrupt);
    BurstSplitter splitter(o.gapMs);
    QElapsedTimer clock;
    clock.start();
    bool failed = false;
    auto handle = [&](const Burst& burst) {
        const QString text =
            monitorLogLine(burst, portText, settings.toString(), namer.name(burst.bytes));
        out(text + QLatin1Char('\n'));
        if (logFile &&
            (logFile->write((text + QLatin1Char('\n')).toUtf8()) < 0 || !logFile->flush())) {
            err(QStringLiteral("cannot write the log %1: %2\n").arg(o.log, logFile->errorString()));
            failed = true;
        }
        if (check)
            check->feed(o.controlPort, burst.bytes);
    };
    while (!interrupted && !failed && !(check && check->complete()) &&
           (!o.seconds || clock.elapsed() < qint64(*o.seconds * 1000))) {
        const Result<QByteArray> bytes = line->read(4096, 20);
        if (!bytes) {
            err(bytes.error().message + QLatin1Char('\n'));
            failed = true;
            break;
        }
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (const Burst& burst : splitter.feed(bytes.value(), now))
            handle(burst);
        if (auto burst = splitter.flush(now))
            handle(*burst);
    }
    if (auto burst = splitter.finish())
        handle(*burst);
    std::signal(SIGINT, SIG_DFL);
    line->close();
    if (check) {
        const QString report = check->report();
        out(report);
        if (logFile)
            logFile->write(report.toUtf8());
    }
    if (logFile && !failed && !logFile->flush()) { // the last lines must reach the disk too
        err(QStringLiteral("cannot write the log %1: %2\n").arg(o.log, logFile->errorString()));
        failed = true;
    }
    return !failed && (!check || check->complete()) ? ExitOk : ExitFailure;
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
