// upload, restore, firmware, ports: programming a panel from the command line, over the same
// procedures the windows use. Ctrl+C, SIGTERM and SIGHUP do what Esc does in the windows.
#include "app_paths.h"
#include "cli/cli_command.h"
#include "cli/cli_port.h"
#include "cli/cli_project.h"
#include "platform/serial_ports.h"
#include "programming/config_image.h"
#include "programming/programming.h"
#include "programming/programming_history.h"
#include "project/device_options.h"
#include "project/project_state.h"

#include <QElapsedTimer>

namespace ondrel::cli {
namespace {

struct Arguments {
    QString file;   // the .qcd or .hex file, where the command takes one
    QString port;   // number 1 to 3 or a device
    QString folder; // holds firmware/ and default.dat
    bool kdx = false;
    bool report = false;
    bool repeat = false; // upload: panel after panel until Ctrl+C
    ProgrammingOptions options;
};

const char kCommonDetails[] =
    "--port N|DEVICE   the upload port: 1 to 3 (see 'ondrel-cli ports'), a device path, or a\n"
    "                  serial server in the network: rfc2217://HOST:PORT or socket://HOST:PORT\n"
    "--dir FOLDER      the folder holding firmware/ and default.dat (default: beside the\n"
    "                  program); firmware/<version>.hex is looked for there first, then in\n"
    "                  the per-user firmware folder (see 'ondrel --check-install')\n"
    "--reset-timeout S give up when the panel has not answered the reset poll after S\n"
    "                  seconds (default 60; 0 waits until Ctrl+C)\n"
    "--block-timeout MS time for the panel to acknowledge one block (default 1000)\n\n"
    "Press reset on the panel when asked. Ctrl+C, SIGTERM or SIGHUP gives up, closing the\n"
    "port. Exit status 0 only when every block was acknowledged.";

// A number of seconds or milliseconds, not negative, scaled to milliseconds; false when the
// option holds something else. Left alone when the option is not given.
bool readNumber(const QCommandLineParser& parser, const QCommandLineOption& option, int& into,
                int scale) {
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const double v = parser.value(option).toDouble(&ok);
    into = int(v * scale);
    return ok && v >= 0;
}

// The file first, where the command takes one; nothing may follow.
int readPositional(const QString& name, const QCommandLineParser& parser, bool takesFile,
                   Arguments& parsed) {
    QStringList positional = parser.positionalArguments();
    if (takesFile && positional.isEmpty())
        return usageError(name, QStringLiteral("expects a file"));
    if (takesFile)
        parsed.file = positional.takeFirst();
    if (!positional.isEmpty())
        return usageError(name, QStringLiteral("unexpected argument %1").arg(positional.first()));
    return ExitOk;
}

// Reads the shared options; `takesFile` for the commands that name a file first.
int readArguments(const QString& name, const QStringList& args, bool takesFile, Arguments& parsed) {
    parsed.folder = programFolder();
    parsed.options.handshakeTimeoutMs = 60000;
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N|DEVICE"));
    const QCommandLineOption dir(QStringLiteral("dir"), QString(), QStringLiteral("FOLDER"));
    const QCommandLineOption resetTimeout(QStringLiteral("reset-timeout"), QString(),
                                          QStringLiteral("S"));
    const QCommandLineOption blockTimeout(QStringLiteral("block-timeout"), QString(),
                                          QStringLiteral("MS"));
    const QCommandLineOption kdx(QStringLiteral("kdx")), report(QStringLiteral("report")),
        repeat(QStringLiteral("repeat"));
    parser.addOptions({port, dir, resetTimeout, blockTimeout});
    // Only upload has --kdx, --report and --repeat.
    const bool upload = name == QLatin1String("upload");
    if (upload)
        parser.addOptions({kdx, report, repeat});
    if (const std::optional<int> usage = parseArguments(name, parser, args))
        return *usage;
    if (!readNumber(parser, resetTimeout, parsed.options.handshakeTimeoutMs, 1000))
        return usageError(name, QStringLiteral("--reset-timeout needs seconds"));
    if (!readNumber(parser, blockTimeout, parsed.options.blockTimeoutMs, 1) ||
        parsed.options.blockTimeoutMs < 1)
        return usageError(name, QStringLiteral("--block-timeout needs milliseconds"));
    parsed.port = parser.value(port);
    if (parser.isSet(dir))
        parsed.folder = parser.value(dir);
    parsed.kdx = upload && parser.isSet(kdx);
    parsed.report = upload && parser.isSet(report);
    parsed.repeat = upload && parser.isSet(repeat);
    if (int status = readPositional(name, parser, takesFile, parsed))
        return status;
    // Panel after panel: wait for each next reset until Ctrl+C, unless told otherwise.
    if (parsed.repeat && !parser.isSet(resetTimeout))
        parsed.options.handshakeTimeoutMs = 0;
    if (parsed.port.isEmpty())
        return usageError(name, QStringLiteral("expects --port N or --port DEVICE"));
    return ExitOk;
}

// Prints stage changes and progress in tenths, so a log shows the run without flooding. What
// the opened line has to say (a network server's settings) is printed once.
void attachProgress(ProgrammingOptions& options, const SerialLine& line) {
    options.cancel = &interruptFlag();
    options.stage = [&line, told = QString()](ProgrammingStage stage) mutable {
        if (stage == ProgrammingStage::WaitingForReset && line.notice() != told) {
            told = line.notice();
            err(QStringLiteral("note: %1\n").arg(told));
        }
        if (stage == ProgrammingStage::WaitingForReset)
            out(QStringLiteral("Press Reset on the panel (Ctrl+C gives up)...\n"));
        else if (stage == ProgrammingStage::LoadingFirmware)
            out(QStringLiteral("The panel's loader answered.\n"));
    };
    options.progress = [last = QString()](const QString& caption, int value, int maximum) mutable {
        const int tenth = maximum > 0 ? value * 10 / maximum : 10;
        const QString step = caption + QString::number(tenth);
        if (step == last)
            return;
        last = step;
        out(QStringLiteral("%1 %2/%3\n").arg(caption).arg(value).arg(maximum));
    };
}

int finish(const ProgrammingResult& result) {
    for (const UserMessage& message : result.messages) {
        const QString title = message.title.isEmpty() ? QStringLiteral("Ondrel") : message.title;
        (result.succeeded() ? out : err)(QStringLiteral("%1: %2\n").arg(title, message.text));
    }
    if (!result.succeeded() && !result.detail.isEmpty() &&
        (result.messages.isEmpty() || result.messages.back().text != result.detail))
        err(result.detail + QLatin1Char('\n'));
    return result.succeeded() ? ExitOk : ExitFailure;
}

// Runs the procedure (with --repeat, once per panel until Ctrl+C) and adds one history record
// per run. Ctrl+C while waiting for the next panel's reset is the end of a repeat, not a record.
template <class Procedure>
int runOnPort(const Arguments& args, const HistoryRecord& base, Procedure procedure) {
    const Result<QString> device = resolvePort(args.port);
    if (!device) {
        err(device.error().message + QLatin1Char('\n'));
        return ExitFailure;
    }
    const std::unique_ptr<SerialLine> line = makeSerialLine(device.value());
    ProgrammingOptions options = args.options;
    attachProgress(options, *line);
    const InterruptScope interruptible;
    out(QStringLiteral("Using %1.\n").arg(device.value()));
    int programmed = 0, failed = 0, status = ExitOk;
    for (int panel = 1;; ++panel) {
        if (args.repeat)
            out(QStringLiteral("Panel %1.\n").arg(panel));
        HistoryRecord record = startRecord(base.procedure, base.file, QByteArray());
        record.imageSize = base.imageSize;
        record.crc = base.crc;
        record.device = device.value();
        record.port = args.port == device.value() ? QString() : args.port;
        QElapsedTimer elapsed;
        elapsed.start();
        const ProgrammingResult result = procedure(*line, options);
        const bool untouched =
            result.outcome == ProgrammingResult::Outcome::Cancelled && result.packetsSent == 0;
        if (args.repeat && panel > 1 && untouched)
            break;
        finishRecord(record, result, elapsed.elapsed());
        if (const Status added = appendHistory(record); !added)
            err(QStringLiteral("warning: %1\n").arg(added.error().message));
        status = finish(result);
        (result.succeeded() ? programmed : failed) += 1;
        // A failure before the panel answered (no firmware file, a port that does not open)
        // would only repeat itself.
        if (!args.repeat || interruptFlag() || (!result.succeeded() && result.packetsSent == 0))
            break;
    }
    if (args.repeat) {
        out(QStringLiteral("%1 panel(s) programmed, %2 failed.\n").arg(programmed).arg(failed));
        status = programmed > 0 && failed == 0 ? ExitOk : ExitFailure;
    }
    line->close();
    if (interruptFlag())
        err(QStringLiteral("Interrupted; the port %1 was closed.\n").arg(device.value()));
    return status;
}

int runUpload(const QStringList& argv) {
    Arguments args;
    if (int status = readArguments(QStringLiteral("upload"), argv, true, args))
        return status;
    ProjectState state;
    if (!openProjectFile(args.file, state))
        return ExitFailure;
    if (args.kdx)
        setKdxDevicePresent(state, true);
    // Built and checked before the port is touched: a configuration that does not fit sends
    // nothing.
    const Result<ConfigImage> image = buildProjectImage(args.file, state);
    if (!image) {
        err(QStringLiteral("%1: %2\n").arg(args.file, image.error().message));
        return ExitFailure;
    }
    const HistoryRecord record =
        startRecord(QStringLiteral("upload"), args.file, image.value().bytes);
    const int status =
        runOnPort(args, record, [&](SerialLine& line, const ProgrammingOptions& options) {
            return UploadConfiguration(line, image.value().bytes, args.folder, options);
        });
    if (args.report && status == ExitOk)
        out(QString(image.value().report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return status;
}

int runRestore(const QStringList& argv) {
    Arguments args;
    if (int status = readArguments(QStringLiteral("restore"), argv, false, args))
        return status;
    return runOnPort(args, startRestoreRecord(args.folder),
                     [&](SerialLine& line, const ProgrammingOptions& options) {
                         return RestoreFactorySetup(line, args.folder, options);
                     });
}

int runFirmware(const QStringList& argv) {
    Arguments args;
    if (int status = readArguments(QStringLiteral("firmware"), argv, true, args))
        return status;
    Status read = Ok{};
    HistoryRecord record = startFirmwareRecord(args.file, &read);
    if (!read)
        err(QStringLiteral("warning: %1\n").arg(read.error().message));
    return runOnPort(args, record, [&](SerialLine& line, const ProgrammingOptions& options) {
        return UpdateFirmware(line, args.file, options);
    });
}

int runPorts(const QStringList& argv) {
    if (!argv.isEmpty())
        return usageError(QStringLiteral("ports"), QStringLiteral("takes no arguments"));
    const QtSerialLineFactory factory;
    for (int port = 1; port <= 3; ++port)
        out(factory.describe(port) + QLatin1Char('\n'));
    const QList<FoundPort> found = findSerialPorts();
    out(QStringLiteral("\nSerial devices found: %1\n").arg(found.size()));
    for (const FoundPort& port : found) {
        QStringList about;
        for (const QString& part : {port.description, port.manufacturer})
            if (!part.isEmpty())
                about << part;
        if (!port.serialNumber.isEmpty())
            about << QStringLiteral("serial number ") + port.serialNumber;
        out(QStringLiteral("  %1%2\n")
                .arg(port.device, about.isEmpty()
                                      ? QString()
                                      : QStringLiteral("  ") + about.join(QStringLiteral(", "))));
    }
    return ExitOk;
}

} // namespace

ONDREL_CLI_COMMAND(
    upload, {QStringLiteral("upload"),
             QStringLiteral("FILE.qcd --port N|DEVICE [--kdx] [--report] [--repeat] [options]"),
             QStringLiteral("Programs the panel with a configuration file."),
             QStringLiteral("Refreshes the panel's firmware from firmware/<version>.hex, "
                            "then writes the\nconfiguration image of FILE (see 'ondrel-cli "
                            "image') at word 0x1600.\n--report prints the upload report "
                            "afterwards.\n--repeat programs panel after panel with the "
                            "same configuration until Ctrl+C\n(one history record per "
                            "panel) and counts them at the end.\n\n") +
                 QLatin1String(kCommonDetails),
             runUpload});

ONDREL_CLI_COMMAND(restore,
                   {QStringLiteral("restore"), QStringLiteral("--port N|DEVICE [options]"),
                    QStringLiteral("Restores the panel's factory setup from default.dat."),
                    QStringLiteral("Refreshes the panel's firmware from firmware/<version>.hex, "
                                   "then writes all 4097\nbytes of default.dat at word "
                                   "0x1600.\n\n") +
                        QLatin1String(kCommonDetails),
                    runRestore});

ONDREL_CLI_COMMAND(firmware,
                   {QStringLiteral("firmware"),
                    QStringLiteral("FILE.hex --port N|DEVICE [options]"),
                    QStringLiteral("Loads a firmware file into the panel."),
                    QStringLiteral("Checks the whole Intel HEX file, then sends it line by "
                                   "line.\n\n") +
                        QLatin1String(kCommonDetails),
                    runFirmware});

ONDREL_CLI_COMMAND(ports,
                   {QStringLiteral("ports"), QString(),
                    QStringLiteral("Shows which device each upload port number reaches."),
                    QStringLiteral("On Windows port N is COMN. Elsewhere ONDREL_PORT1 to "
                                   "ONDREL_PORT3 name a device when set;\notherwise port N is the "
                                   "N-th serial device found, USB adapters first."),
                    runPorts});

} // namespace ondrel::cli
