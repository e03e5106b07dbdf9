// image: the configuration image that an upload would write, without a panel.
#include "cli/cli_command.h"
#include "cli/cli_project.h"
#include "files/atomic_write.h"
#include "programming/config_image.h"
#include "project/byte_text.h"
#include "project/device_options.h"
#include "project/project_state.h"

namespace ondrel::cli {
namespace {

int runImage(const QStringList& args) {
    const QString name = QStringLiteral("image");
    QCommandLineParser parser;
    const QCommandLineOption kdx(QStringLiteral("kdx")), report(QStringLiteral("report"));
    const QCommandLineOption outputOption(QStringLiteral("o"), QString(), QStringLiteral("OUT"));
    parser.addOptions({kdx, report, outputOption});
    if (const std::optional<int> usage = parseArguments(name, parser, args))
        return *usage;
    if (parser.positionalArguments().size() != 1)
        return usageError(name, QStringLiteral("expects one configuration file"));
    const QString input = parser.positionalArguments().first();
    const QString output = parser.value(outputOption);

    ProjectState state;
    if (!openProjectFile(input, state))
        return ExitFailure;
    if (parser.isSet(kdx))
        setKdxDevicePresent(state, true);
    const auto image = buildProjectImage(input, state);
    if (!image) {
        err(QStringLiteral("%1: %2\n").arg(input, image.error().message));
        return ExitFailure;
    }
    const QByteArray& bytes = image.value().bytes;
    if (output.isEmpty()) {
        out(hexLines(bytes, 16));
    } else {
        const Status written = writeFileAtomically(output, bytes);
        if (!written) {
            err(QStringLiteral("%1: %2\n").arg(output, written.error().message));
            return ExitFailure;
        }
        out(QStringLiteral("%1 bytes written to %2\n").arg(bytes.size()).arg(output));
    }
    if (parser.isSet(report)) {
        QString text = image.value().report;
        out(QLatin1Char('\n') + text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    return ExitOk;
}

} // namespace

ONDREL_CLI_COMMAND(
    image,
    {QStringLiteral("image"), QStringLiteral("FILE.qcd [--kdx] [--report] [-o OUT]"),
     QStringLiteral("Prints the configuration image an upload would write to the panel."),
     QStringLiteral("Opens FILE as File > Open does and builds the image that the upload writes\n"
                    "at panel word address 0x1600, without sending anything. The bytes are\n"
                    "printed in hexadecimal, 16 to a line, or written unchanged to OUT with -o.\n"
                    "--kdx builds it with the KDX device enabled; --report also prints the\n"
                    "upload report. Exit status 1, with the reason on standard error, when the\n"
                    "file does not open or the configuration does not fit the panel."),
     runImage});

} // namespace ondrel::cli
