// projector: one command to a projector and its answer decoded, as the Projector Test window shows
// it.
#include "app_paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/user_catalogue.h"
#include "cli/cli_command.h"
#include "platform/serial_ports.h"
#include "projector/projector_exchange.h"

namespace ondrel::cli {
namespace {

const QString kName = QStringLiteral("projector");

// COMMAND, a catalogue command name (--off: a toggle's off string). A usage error's status, or
// ExitOk with the request.
int requestCommand(const QCommandLineParser& parser, const ProjectorModel& m,
                   const QString& command, const QCommandLineOption& off,
                   std::optional<ExchangeRequest>& request) {
    request = commandRequest(m, command, parser.isSet(off));
    if (!request) {
        QStringList names;
        for (const ModelCommand& c : m.definition.commands)
            names << c.name + (c.secondary ? QStringLiteral(" (--off)") : QString());
        return usageError(kName,
                          QStringLiteral("%1 has no command %2%3; its commands: %4")
                              .arg(m.name(), command,
                                   parser.isSet(off) ? QStringLiteral(" with --off") : QString(),
                                   names.join(QStringLiteral(", "))));
    }
    return ExitOk;
}

// --query NAME, one of the model's family's queries.
int requestQuery(const QCommandLineParser& parser, const ProjectorModel& m,
                 const QCommandLineOption& query, std::optional<ExchangeRequest>& request) {
    request = queryRequest(m, parser.value(query));
    if (!request)
        return usageError(kName, m.replies
                                     ? QStringLiteral("%1 knows no query %2; it has %3")
                                           .arg(m.name(), parser.value(query),
                                                m.replies->queryNames().join(QStringLiteral(", ")))
                                     : QStringLiteral("the catalogue has no replies "
                                                      "for %1, so no queries")
                                           .arg(m.name()));
    return ExitOk;
}

// --bytes STRING in --notation (by default the model's own).
int requestBytes(const QCommandLineParser& parser, const ProjectorModel& m,
                 const QCommandLineOption& bytes, const QCommandLineOption& notation,
                 std::optional<ExchangeRequest>& request) {
    const Notation form = parser.isSet(notation)
                              ? notationFromName(parser.value(notation)).value_or(Notation::Text)
                              : m.definition.presentAs;
    if (parser.isSet(notation) && !notationFromName(parser.value(notation)))
        return usageError(kName, QStringLiteral("--notation is text, hex or decimal"));
    const ParsedCommand parsed = parseCommandNotation(parser.value(bytes), form);
    if (!parsed.ok() || parsed.bytes.isEmpty())
        return usageError(
            kName, QStringLiteral("--bytes: %1")
                       .arg(parsed.ok() ? QStringLiteral("no bytes") : parsed.fault->message()));
    request = bytesRequest(m, parsed.bytes);
    return ExitOk;
}

// --baud and --parity over the model's settings.
int readSettings(const QCommandLineParser& parser, const QCommandLineOption& baud,
                 const QCommandLineOption& parity, SerialSettings& settings) {
    if (parser.isSet(baud)) {
        bool ok = false;
        settings.baudRate = parser.value(baud).toInt(&ok);
        if (!ok || settings.baudRate <= 0)
            return usageError(kName, QStringLiteral("--baud needs a positive number"));
    }
    if (parser.isSet(parity)) {
        const auto p = parityFromName(parser.value(parity).toUpper());
        if (!p)
            return usageError(kName, QStringLiteral("--parity is NONE, EVEN or ODD"));
        settings.parity = *p;
    }
    return ExitOk;
}

// Nothing (sensible) came back: what to look at, other baud rates last.
void printChecklist(const ProjectorModel& m, const Exchange& x, const SerialSettings& settings) {
    out(QStringLiteral("Nothing %1came back. Check:\n")
            .arg(x.reply.outcome == ReplyOutcome::NotUnderstood ? QStringLiteral("sensible ")
                                                                : QString()));
    for (const QString& item : noAnswerChecklist(m, x))
        out(QStringLiteral("  - %1\n").arg(item));
    QStringList rates;
    for (int rate : otherBaudRates(settings.baudRate))
        rates << QString::number(rate);
    out(QStringLiteral("  - Other rates: add --baud %1.\n")
            .arg(rates.join(QStringLiteral(", --baud "))));
}

int runProjector(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption model(QStringLiteral("model"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("B"));
    const QCommandLineOption query(QStringLiteral("query"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption bytes(QStringLiteral("bytes"), QString(), QStringLiteral("STRING"));
    const QCommandLineOption notation(QStringLiteral("notation"), QString(),
                                      QStringLiteral("NOTATION"));
    const QCommandLineOption parity(QStringLiteral("parity"), QString(), QStringLiteral("P"));
    const QCommandLineOption off(QStringLiteral("off"));
    parser.addOptions({port, model, baud, parity, query, bytes, notation, off});
    if (const std::optional<int> usage = parseArguments(kName, parser, args))
        return *usage;
    const QStringList positional = parser.positionalArguments();
    if (!parser.isSet(port) || !parser.isSet(model))
        return usageError(kName, QStringLiteral("expects --port and --model"));
    if (positional.size() + int(parser.isSet(query)) + int(parser.isSet(bytes)) != 1)
        return usageError(kName, QStringLiteral("expects one of COMMAND, --query NAME and "
                                                "--bytes STRING"));

    const Catalogue catalogue(catalogPath(), userCataloguePath());
    const Result<ProjectorModel> loaded = loadProjectorModel(catalogue, parser.value(model));
    if (!loaded) {
        err(loaded.error().message + QLatin1Char('\n'));
        return ExitFailure;
    }
    const ProjectorModel& m = loaded.value();
    std::optional<ExchangeRequest> request;
    const int asked = !positional.isEmpty()
                          ? requestCommand(parser, m, positional.first(), off, request)
                      : parser.isSet(query) ? requestQuery(parser, m, query, request)
                                            : requestBytes(parser, m, bytes, notation, request);
    if (asked != ExitOk)
        return asked;

    SerialSettings settings = m.settings();
    if (int status = readSettings(parser, baud, parity, settings))
        return status;
    const QtSerialLineFactory lines;
    bool isNumber = false;
    const int number = parser.value(port).toInt(&isNumber);
    const Result<QString> device =
        isNumber ? lines.deviceForPort(number) : Result<QString>(parser.value(port));
    if (!device) {
        err(device.error().message + QLatin1Char('\n'));
        return ExitFailure;
    }
    const std::unique_ptr<SerialLine> line = lines.create(device.value());
    if (Status opened = line->open(settings); !opened) {
        err(opened.error().message + QLatin1Char('\n'));
        return ExitFailure;
    }
    if (!line->notice().isEmpty())
        err(QStringLiteral("note: %1\n").arg(line->notice()));
    if (request->timeoutMs > 10000)
        err(QStringLiteral("Waiting up to %1 s for the answer%2 (Ctrl+C stops).\n")
                .arg(request->timeoutMs / 1000)
                .arg(request->late ? QStringLiteral(": %1 answers %2 only when it is done")
                                         .arg(m.name(), request->command)
                                   : QString()));
    const InterruptScope interrupts;
    const Exchange x = runExchange(*line, m, *request, settings, &interruptFlag());
    line->close();
    out(x.line() + QLatin1Char('\n'));
    if (x.unanswered())
        printChecklist(m, x, settings);
    return x.exitCode();
}

} // namespace

ONDREL_CLI_COMMAND(
    projector,
    {kName,
     QStringLiteral(
         "--port N|DEVICE --model MAKER/MODEL [--baud B] [--parity P] COMMAND [--off] | --query "
         "NAME | --bytes STRING [--notation text|hex|decimal]"),
     QStringLiteral("Sends one command to a projector and shows its answer decoded."),
     QStringLiteral(
         "Opens the port at the model's serial settings from the catalogue (--baud B and\n"
         "--parity NONE|EVEN|ODD change them) and sends COMMAND (a catalogue command name such\n"
         "as On or Computer_1; --off sends a toggle's off string), the query NAME (power,\n"
         "input, lamp, error: those the model's family has), or STRING in the notation\n"
         "(default: text for ASCII models, hex for binary ones). Prints one line: time, what\n"
         "was sent, what came back in hexadecimal and as text, what it means, and the round\n"
         "trip in milliseconds. It waits as long as the family may take (an Epson answers On\n"
         "only when warm: up to 100 s; Ctrl+C stops). Exit status 0 when the answer is an\n"
         "acknowledgement or a state; 1 when it is a refusal, nothing came, or it is not\n"
         "understood, then with a checklist of what to look at."),
     runProjector});

} // namespace ondrel::cli
