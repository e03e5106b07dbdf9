// bytes: a command string in a manual's notation, as the bytes the panel would send.
#include "cli/cli_command.h"
#include "project/byte_list.h"
#include "project/command_notation.h"

#include <QCommandLineParser>

namespace ondrel::cli {
namespace {

int runBytes(const QStringList& args) {
    const QString name = QStringLiteral("bytes");
    QCommandLineParser parser;
    const QCommandLineOption text(QStringLiteral("text")), hex(QStringLiteral("hex")),
        decimal(QStringLiteral("decimal")), forms(QStringLiteral("forms"));
    parser.addOptions({text, hex, decimal, forms});
    if (!parser.parse(QStringList{name} + args))
        return usageError(name, parser.errorText());
    const int modes = int(parser.isSet(text)) + int(parser.isSet(hex)) + int(parser.isSet(decimal));
    if (modes > 1)
        return usageError(name, QStringLiteral("choose one of --text, --hex and --decimal"));
    if (parser.positionalArguments().size() != 1)
        return usageError(name, QStringLiteral("expects exactly one command string (quote it)"));
    const Notation notation = parser.isSet(hex)       ? Notation::Hex
                              : parser.isSet(decimal) ? Notation::Decimal
                                                      : Notation::Text;
    const ParsedCommand parsed =
        parseCommandNotation(parser.positionalArguments().front(), notation);
    if (!parsed.ok()) {
        err(parsed.fault->message() + QLatin1Char('\n'));
        return ExitFailure;
    }
    for (const NotationFault& warning : parsed.warnings)
        err(QStringLiteral("warning: ") + warning.message() + QLatin1Char('\n'));
    const ByteList list = ByteList::fromBytes(parsed.bytes);
    // The decimal and hexadecimal forms start with a blank before each byte; the line does not.
    out(list.textForm(Notation::Decimal).mid(1) + QLatin1Char('\n'));
    if (parser.isSet(forms))
        out(list.textForm(Notation::Text) + QLatin1Char('\n') +
            list.textForm(Notation::Hex).mid(1) + QLatin1Char('\n'));
    return ExitOk;
}

} // namespace

ONDREL_CLI_COMMAND(
    bytes,
    {QStringLiteral("bytes"), QStringLiteral("[--text|--hex|--decimal] [--forms] STRING"),
     QStringLiteral("Shows the bytes of a command string written as in a projector manual."),
     QStringLiteral(
         "Reads STRING in one notation and prints its bytes in decimal on one line, the form\n"
         "configuration files and the catalogue use. --forms adds the ASCII and hexadecimal\n"
         "forms the button configuration window shows, on the next two lines.\n"
         "  --text     (default) characters as themselves; \\r \\n \\t \\0 \\\\ \\xHH and <CR>,\n"
         "             <STX>, <ETX>, <ESC> ... for control characters: 'PWR ON<CR>'\n"
         "  --hex      'BE EF 03', 'BEEF03', '0x02,0x50', '$0D$0A', '7Eh 30h', '02 \"PON\" 03'\n"
         "  --decimal  '80 87 82 32 79 78 13'\n"
         "Line breaks and tabs separate bytes in hex and decimal; in text they are an error.\n"
         "A word in angle brackets that is no control name (<CRR>) is sent as its characters,\n"
         "with a warning on standard error naming the nearest name.\n"
         "Exit status 1 with \"column N: message\" on standard error when STRING is wrong."),
     runBytes});

} // namespace ondrel::cli
