// ondrel-panel: a virtual Ondrel panel on a pseudo-terminal (or a given serial device) for tests,
// demos and installers without hardware. It answers the loader's reset poll and write packets
// like the panel does, can model the wire time of a baud rate, and can misbehave on request.

#include "panel_buttons.h"
#include "panel_core.h"
#include "programming/hex_generator.h"
#include "pty_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace ondrel::panel;
using namespace ondrel::tools;

namespace {

bool writeText(const QString& path, const QString& text) {
    if (path == QLatin1String("-")) {
        QTextStream(stdout) << text;
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ondrel-panel"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A virtual Ondrel panel. Opens a pseudo-terminal, prints its path on the first line of "
        "standard output, and answers the loader there until it is stopped (Ctrl+C, SIGTERM or "
        "SIGHUP)."));
    parser.addHelpOption();
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Use this serial device instead of a new pty."),
                                    QStringLiteral("path"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Make a symbolic link to the pty at this path."),
                                  QStringLiteral("path"));
    const QCommandLineOption dump(QStringLiteral("dump"),
                                  QStringLiteral("On exit, write the written memory as hex here "
                                                 "(- for standard output)."),
                                  QStringLiteral("file"));
    const QCommandLineOption decode(QStringLiteral("decode"),
                                    QStringLiteral("On exit, write the configuration table at "
                                                   "word 0x1600 as text here (- for standard "
                                                   "output)."),
                                    QStringLiteral("file"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"), QStringLiteral("Log every poll and packet on standard error."));
    const QCommandLineOption demoFirmware(
        QStringLiteral("write-demo-firmware"),
        QStringLiteral("Write a made-up firmware file for trying the tool against this virtual "
                       "panel, then end. Never send it to a real panel."),
        QStringLiteral("file"));
    parser.addOptions({device, link, dump, decode, verbose, demoFirmware});
    addFaultOptions(parser);
    ButtonPanel buttons; // --control1/--control2 and the press lines on standard input
    buttons.addOptions(parser);
    parser.process(app);
    const ondrel::Result<Faults> faults = faultsFromOptions(parser);
    if (!faults) {
        std::fprintf(stderr, "ondrel-panel: %s\n", qPrintable(faults.error().message));
        return 2;
    }
    if (parser.isSet(demoFirmware)) {
        if (!writeText(parser.value(demoFirmware), ondrel::generateFirmwareHex(64))) {
            std::fprintf(stderr, "ondrel-panel: cannot write %s\n",
                         qPrintable(parser.value(demoFirmware)));
            return 1;
        }
        return 0;
    }

    // Before the path is printed: whoever reads it may stop the panel at once.
    const volatile std::sig_atomic_t& stopRequested = stopOnSignals();

    PtyLine line;
    if (!openLine("ondrel-panel", parser.isSet(device) ? parser.value(device) : QString(),
                  parser.value(QStringLiteral("baud")).toInt(), line))
        return 1;
    const QString path = line.path;
    if (parser.isSet(link))
        linkLine("ondrel-panel", line, parser.value(link));
    if (!buttons.start(parser))
        return 1;
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);

    VirtualLoader loader(faults.value());
    if (parser.isSet(verbose))
        loader.log = [](const QString& text) {
            std::fprintf(stderr, "panel: %s\n", qPrintable(text));
        };
    loader.written = [&buttons](const PanelMemory& memory, quint16 wordAddress) {
        buttons.tableWritten(memory, wordAddress);
    };
    serveFarEnd("panel", line, loader, stopRequested);

    int status = 0;
    if (parser.isSet(dump) && !writeText(parser.value(dump), loader.memory().dump()))
        status = 1;
    if (parser.isSet(decode) &&
        !writeText(parser.value(decode), decodeConfigTable(loader.memory())))
        status = 1;
    if (parser.isSet(link))
        ::unlink(parser.value(link).toLocal8Bit().constData());
    std::fprintf(stderr, "ondrel-panel: %d packets, %d bytes written\n", loader.packets(),
                 loader.memory().writtenCount());
    return status;
}
