// ondrel-projector: a virtual projector on a pseudo-terminal, for tests, demos and installers who
// want to try the projector test without a projector. It answers as the catalogue's replies for
// its model say, warms up and cools down, and can misbehave on request.

#include "app_paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/user_catalogue.h"
#include "projector_core.h"
#include "pty_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace ondrel;

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "ondrel-projector: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ondrel-projector"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual projector. Opens a pseudo-terminal, prints its path on the first line of "
        "standard output, and answers there as the catalogue's model does until it is stopped "
        "(Ctrl+C, SIGTERM or SIGHUP). It starts in standby."));
    parser.addHelpOption();
    auto option = [&parser](const char* name, const char* help, const char* value = nullptr) {
        const QCommandLineOption o(QString::fromLatin1(name), QString::fromLatin1(help),
                                   value ? QString::fromLatin1(value) : QString());
        parser.addOption(o);
        return o;
    };
    const auto model = option("model", "The catalogue's model, as MANUFACTURER/MODEL.", "name");
    const auto link = option("link", "Make a symbolic link to the pty at this path.", "path");
    const auto baud = option("baud", "Run at this baud rate instead of the model's.", "rate");
    const auto wrongBaud = option("wrong-baud", "Run at another common rate than the model's "
                                                "(19200, or 9600 for a 19200 model): what comes at "
                                                "the wrong rate is garbage both ways.");
    const auto warmUp = option("warm-up", "Seconds from switching on to on (default 10).", "s");
    const auto coolDown = option("cool-down", "Seconds of cooling down (default 10).", "s");
    const auto lamp = option("lamp-hours", "The lamp hours it reports (default 1234).", "h");
    const auto on = option("on", "Start switched on.");
    const auto silent = option("silent", "Answer nothing.");
    const auto echo = option("echo", "Send every byte straight back, as some adapters do.");
    const auto slow = option("slow", "Wait this long before every answer.", "ms");
    const auto verbose = option("verbose", "Log each command and state change on standard error.");
    parser.process(app);

    projector::Options options;
    bool ok = true;
    auto number = [&](const QCommandLineOption& o, double scale, qint64& target) {
        if (!parser.isSet(o))
            return;
        bool valid = false;
        const double value = parser.value(o).toDouble(&valid);
        ok = ok && valid && value >= 0;
        target = qint64(value * scale);
    };
    qint64 lampHours = options.lampHours, rate = 0;
    options.warmUpUs = options.coolDownUs = 10'000'000; // long enough to ask in between
    number(warmUp, 1e6, options.warmUpUs);
    number(coolDown, 1e6, options.coolDownUs);
    number(slow, 1e3, options.slowUs);
    number(lamp, 1, lampHours);
    number(baud, 1, rate);
    if (!ok)
        return fail(QStringLiteral("--warm-up, --cool-down, --slow, --lamp-hours and --baud take "
                                   "numbers of 0 or more"));
    if (!parser.isSet(model))
        return fail(QStringLiteral("--model MANUFACTURER/MODEL is required"));
    options.lampHours = int(lampHours);
    options.silent = parser.isSet(silent);
    options.echo = parser.isSet(echo);

    const Catalogue catalogue(catalogPath(), userCataloguePath());
    const Result<ProjectorModel> loaded = loadProjectorModel(catalogue, parser.value(model));
    if (!loaded)
        return fail(loaded.error().message);
    if (!loaded.value().replies)
        return fail(QStringLiteral("the catalogue has no replies for %1: nothing to answer with")
                        .arg(loaded.value().name()));
    const int modelBaud = loaded.value().definition.baud;
    options.baud = rate > 0                  ? int(rate)
                   : parser.isSet(wrongBaud) ? (modelBaud == 19200 ? 9600 : 19200)
                                             : 0;

    const volatile std::sig_atomic_t& stopRequested = tools::stopOnSignals();

    tools::PtyLine line;
    if (!tools::openLine("ondrel-projector", QString(), 0, line))
        return 1;
    if (parser.isSet(link))
        tools::linkLine("ondrel-projector", line, parser.value(link));
    projector::VirtualProjector device(loaded.value(), options);
    if (parser.isSet(verbose))
        device.log = [](const QString& text) {
            std::fprintf(stderr, "projector: %s\n", qPrintable(text));
        };
    if (parser.isSet(on))
        device.switchOn();
    std::printf("%s\n", qPrintable(line.path));
    std::fflush(stdout);
    std::fprintf(stderr, "ondrel-projector: %s at %d baud\n", qPrintable(loaded.value().name()),
                 device.baud());
    tools::serveFarEnd("projector", line, device, stopRequested,
                       [&] { device.setLineBaud(tools::lineBaud(line)); });
    if (parser.isSet(link))
        ::unlink(parser.value(link).toLocal8Bit().constData());
    return 0;
}
