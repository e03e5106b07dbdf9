// ondrel-cli: the configuration tool's operations without windows, over the same core code.
#include "cli/cli_command.h"

#include "ondrel/version.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>

namespace ondrel::cli {

namespace {

std::atomic<bool> interrupted{false};
std::atomic<int> interruptScopes{0};

extern "C" void onTerminatingSignal(int number) {
    if (interruptScopes.load() > 0) {
        interrupted = true;
        return;
    }
    std::signal(number, SIG_DFL);
    std::raise(number);
}

#ifdef SIGHUP
constexpr int kTerminatingSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else // Windows: Ctrl+Break comes as SIGBREAK
constexpr int kTerminatingSignals[] = {SIGINT, SIGTERM, SIGBREAK};
#endif

} // namespace

// The flag is never cleared: once asked to stop, every later scope (a command running several
// procedures in a row) stops too.
InterruptScope::InterruptScope() {
    ++interruptScopes;
}

InterruptScope::~InterruptScope() {
    --interruptScopes;
}

const std::atomic<bool>& interruptFlag() {
    return interrupted;
}

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

void out(const QString& text) {
    QTextStream(stdout) << text << Qt::flush;
}

void err(const QString& text) {
    QTextStream(stderr) << text << Qt::flush;
}

void printCommandHelp(const Command& command) {
    out(QStringLiteral("Usage: ondrel-cli %1 %2\n\n%3\n")
            .arg(command.name, command.arguments, command.summary));
    if (!command.details.isEmpty())
        out(QStringLiteral("\n%1\n").arg(command.details));
}

int usageError(const QString& commandName, const QString& message) {
    err(QStringLiteral("ondrel-cli %1: %2\n").arg(commandName, message));
    for (const Command& c : commands())
        if (c.name == commandName)
            err(QStringLiteral("Usage: ondrel-cli %1 %2\n").arg(c.name, c.arguments));
    err(QStringLiteral("Try 'ondrel-cli %1 --help'.\n").arg(commandName));
    return ExitUsage;
}

std::optional<int> parseArguments(const QString& commandName, QCommandLineParser& parser,
                                  const QStringList& args) {
    if (parser.parse(QStringList{commandName} + args))
        return std::nullopt;
    return usageError(commandName, parser.errorText());
}

namespace {

QString versionText() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

void printHelp(QTextStream& stream) {
    stream << "Usage: ondrel-cli COMMAND [ARGUMENTS]\n"
              "       ondrel-cli COMMAND --help\n"
              "       ondrel-cli --version\n\n"
              "The Ondrel configuration tool without its windows.\n\nCommands:\n";
    for (const Command& c : commands())
        stream << "  " << c.name.leftJustified(10) << " " << c.summary << "\n";
    stream << "\nExit status: 0 success, 1 failure, 2 wrong usage.\n";
}

const Command* findCommand(const QString& name) {
    for (const Command& c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace
} // namespace ondrel::cli

int main(int argc, char** argv) {
    using namespace ondrel::cli;
    const Command* requested = argc > 1 ? findCommand(QString::fromLocal8Bit(argv[1])) : nullptr;
    if (requested && requested->needsGui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(requested && requested->needsGui
                                              ? new QGuiApplication(argc, argv)
                                              : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("ondrel-cli"));
    for (int number : kTerminatingSignals)
        std::signal(number, onTerminatingSignal);
    std::sort(commands().begin(), commands().end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });

    // Options before the command are the program's; everything from the command on is the
    // command's own, read by the command with its own parser.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({version, help});
    const bool parsed = parser.parse(QCoreApplication::arguments());
    QStringList args = parser.positionalArguments();
    const bool programOption = parser.isSet(version) || parser.isSet(help);
    if (parsed && programOption && args.isEmpty()) {
        if (parser.isSet(version)) {
            out(QStringLiteral("ondrel-cli %1\n").arg(versionText()));
        } else {
            QTextStream stream(stdout);
            printHelp(stream);
        }
        return ExitOk;
    }
    if (!parsed || programOption || args.isEmpty()) {
        QTextStream stream(stderr);
        if (!parsed)
            stream << "ondrel-cli: " << parser.errorText() << "\n\n";
        else if (programOption)
            stream << "ondrel-cli: --version and --help take no command.\n\n";
        printHelp(stream);
        return ExitUsage;
    }
    const QString first = args.takeFirst();
    if (first == QLatin1String("help") && args.isEmpty()) {
        QTextStream stream(stdout);
        printHelp(stream);
        return ExitOk;
    }
    if (first == QLatin1String("help") && args.size() == 1) {
        if (const Command* c = findCommand(args[0])) {
            printCommandHelp(*c);
            return ExitOk;
        }
        err(QStringLiteral("ondrel-cli: no command '%1'. Try 'ondrel-cli --help'.\n").arg(args[0]));
        return ExitUsage;
    }
    const Command* command = findCommand(first);
    if (!command) {
        err(QStringLiteral("ondrel-cli: no command '%1'. Try 'ondrel-cli --help'.\n").arg(first));
        return ExitUsage;
    }
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        printCommandHelp(*command);
        return ExitOk;
    }
    return command->run(args);
}
