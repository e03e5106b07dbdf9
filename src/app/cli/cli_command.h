#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <atomic>
#include <optional>
#include <vector>

// Subcommands of ondrel-cli. A subcommand lives in its own source file in this folder and
// registers itself with one line:
//   ONDREL_CLI_COMMAND(check, {"check", "FILE.qcd", "Checks that a configuration file opens.",
//   help, runCheck});
namespace ondrel::cli {

enum ExitCode { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

struct Command {
    QString name;
    QString arguments; // as shown in the usage line, e.g. "IN.qcd OUT.qcd"
    QString summary;   // one line for the command list
    QString details;   // further paragraphs for "--help"
    int (*run)(const QStringList& args);
    // Draws text (fonts, PDF): runs under a QGuiApplication, on the offscreen platform unless
    // QT_QPA_PLATFORM names another, so it works without a display.
    bool needsGui = false;
};

std::vector<Command>& commands();

struct Registration {
    explicit Registration(Command command) { commands().push_back(std::move(command)); }
};

// Prints the command's usage and help to standard output.
void printCommandHelp(const Command& command);
// Reports wrong usage of a command on standard error; gives ExitUsage.
int usageError(const QString& commandName, const QString& message);
// Reads a command's arguments (without its name) with `parser`, which holds the command's
// options; "--help" never gets here. Gives ExitUsage, after reporting it, for an unknown option or
// an option without its value; otherwise nothing, and `parser` holds the options and the
// positional arguments.
std::optional<int> parseArguments(const QString& commandName, QCommandLineParser& parser,
                                  const QStringList& args);

// Ctrl+C, SIGTERM and SIGHUP. While an InterruptScope lives they only set interruptFlag(), so a
// command that holds a port ends through its cancel path and closes the port (its lock file goes
// with it); at any other time they end the program as they do by default.
class InterruptScope {
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;
};
const std::atomic<bool>& interruptFlag();

// Standard output and standard error, written in the locale's encoding.
void out(const QString& text);
void err(const QString& text);

} // namespace ondrel::cli

#define ONDREL_CLI_COMMAND(id, ...)                                                                \
    static const ::ondrel::cli::Registration id##CliRegistration {                                 \
        ::ondrel::cli::Command __VA_ARGS__                                                         \
    }
