// check and resave: configuration files through the same reader and writer as the main window.
#include "cli/cli_command.h"
#include "cli/cli_project.h"
#include "files/qcd_file.h"
#include "programming/config_image.h"
#include "project/project_state.h"

namespace ondrel::cli {
namespace {

QString deviceLine(const ProjectState& state, int device) {
    const QString name =
        (state.device(device).manufacturer + QLatin1Char(' ') + state.device(device).model)
            .trimmed();
    QString line = QStringLiteral("Device #%1: %2")
                       .arg(device + 1)
                       .arg(name.isEmpty() ? QStringLiteral("none") : name);
    // Filled from the catalogue; the first list item is the empty one.
    if (const QStringList& items = state.device(device).commandItems; items.size() > 1)
        line += QStringLiteral(" (protocol %1, %2 commands)")
                    .arg(state.device(device).protocol.toText())
                    .arg(items.size() - 1);
    return line + QLatin1Char('\n');
}

QString summary(const ProjectState& state) {
    int port1 = 0, port2 = 0, dual = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonConfig& b = state.button(i);
        port1 += !b.commandString1().isEmpty() || !b.commandString1_2().isEmpty();
        port2 += !b.commandString2().isEmpty() || !b.commandString2_2().isEmpty();
        dual += b.GetDualFunct();
    }
    QString text = deviceLine(state, 0) + deviceLine(state, 1);
    text += QStringLiteral(
                "Buttons with commands: %1 on control port one, %2 on control port two, %3 dual\n")
                .arg(port1)
                .arg(port2)
                .arg(dual);
    text += QStringLiteral("Second projector: %1\n")
                .arg(state.secondProjectorEnabled() ? QStringLiteral("enabled")
                                                    : QStringLiteral("disabled"));
    text += state.timerMinutes() ? QStringLiteral("Shut-off timer: %1 (%2 minutes)\n")
                                       .arg(state.timerTexts()[0])
                                       .arg(*state.timerMinutes())
                                 : QStringLiteral("Shut-off timer: not set\n");
    return text;
}

int runCheck(const QStringList& args) {
    if (args.size() != 1)
        return usageError(QStringLiteral("check"), QStringLiteral("expects exactly one file"));
    ProjectState state;
    int warnings = 0;
    if (!openProjectFile(args[0], state, &warnings))
        return ExitFailure;
    // A file can open and still hold what the panel cannot take (a command too long for its
    // length field, more than the table holds): an upload of it would be refused.
    const Result<ConfigImage> image = buildProjectImage(args[0], state, &warnings);
    if (!image) {
        err(QStringLiteral("%1: opens, but cannot be uploaded: %2\n")
                .arg(args[0], image.error().message));
        return ExitFailure;
    }
    out((warnings == 0
             ? QStringLiteral("%1: opens cleanly\n").arg(args[0])
             : QStringLiteral("%1: opens, with %2 warning(s) above\n").arg(args[0]).arg(warnings)) +
        summary(state));
    return ExitOk;
}

int runResave(const QStringList& args) {
    if (args.size() != 2)
        return usageError(QStringLiteral("resave"),
                          QStringLiteral("expects an input and an output file"));
    ProjectState state;
    if (!openProjectFile(args[0], state))
        return ExitFailure;
    const auto saved = saveConfiguration(state, args[1]);
    if (!saved) {
        err(fileErrorText(qcdPathFor(args[1]), saved.error()) + QLatin1Char('\n'));
        return ExitFailure;
    }
    out(QStringLiteral("Saved %1\n").arg(saved.value()));
    return ExitOk;
}

} // namespace

ONDREL_CLI_COMMAND(
    check, {QStringLiteral("check"), QStringLiteral("FILE.qcd"),
            QStringLiteral("Checks that a configuration file opens, and summarises it."),
            QStringLiteral("Opens FILE as the main window's File > Open does, with the catalogue\n"
                           "Proj.qdb beside the program, builds the configuration image an upload\n"
                           "would write, and prints the devices, the buttons with commands, the\n"
                           "second projector and the shut-off timer.\n"
                           "Warnings (skipped lines, models the catalogue lacks) go to standard\n"
                           "error as FILE:LINE: warning: message. Exit status 0 when the file\n"
                           "opens and its image can be built; 1 otherwise, with the reason on\n"
                           "standard error."),
            runCheck});

ONDREL_CLI_COMMAND(
    resave, {QStringLiteral("resave"), QStringLiteral("IN.qcd OUT.qcd"),
             QStringLiteral("Opens a configuration file and saves it again."),
             QStringLiteral("Opens IN as File > Open does and saves OUT as File > Save does:\n"
                            "\".qcd\" is added to OUT unless it already ends in \".qcd\", and an\n"
                            "existing OUT is replaced only once the new file is complete."),
             runResave});

} // namespace ondrel::cli
