// sheet: the room sheet of a configuration file as a PDF, as File > Print Room Sheet makes it.
#include "cli/cli_command.h"
#include "cli/cli_project.h"
#include "files/room_sheet.h"
#include "platform/room_sheet_printer.h"
#include "project/project_state.h"

#include <QCommandLineParser>
#include <QDate>

namespace ondrel::cli {
namespace {

int runSheet(const QStringList& args) {
    const QString name = QStringLiteral("sheet");
    QCommandLineParser parser;
    const QCommandLineOption output(QStringLiteral("o"), QString(), QStringLiteral("FILE.pdf"));
    parser.addOption(output);
    if (!parser.parse(QStringList{name} + args))
        return usageError(name, parser.errorText());
    if (parser.positionalArguments().size() != 1)
        return usageError(name, QStringLiteral("expects one configuration file"));
    if (!parser.isSet(output))
        return usageError(name, QStringLiteral("expects -o FILE.pdf"));
    const QString input = parser.positionalArguments().first();

    ProjectState state;
    if (!openProjectFile(input, state))
        return ExitFailure;
    const RoomSheet sheet = buildRoomSheet(state, input, QDate::currentDate());
    const QString pdf = parser.value(output);
    const Result<int> pages = writeRoomSheetPdf(sheet, pdf);
    if (!pages) {
        err(QStringLiteral("%1: %2\n").arg(pdf, pages.error().message));
        return ExitFailure;
    }
    out(QStringLiteral("%1: %2 page(s), configuration image CRC-32 %3\n")
            .arg(pdf)
            .arg(pages.value())
            .arg(sheet.crc.isEmpty() ? QStringLiteral("-") : sheet.crc));
    return ExitOk;
}

} // namespace

ONDREL_CLI_COMMAND(sheet, {QStringLiteral("sheet"), QStringLiteral("FILE.qcd -o FILE.pdf"),
                           QStringLiteral("Writes the room sheet of a configuration as a PDF."),
                           QStringLiteral("The sheet names the devices, the timer and what each "
                                          "button does, with the\nconfiguration image's size and "
                                          "CRC-32 (the CRC the programming history shows)."),
                           runSheet, true});

} // namespace ondrel::cli
