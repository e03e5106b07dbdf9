// history: the programming history that the windows and ondrel-cli append to.
#include "cli/cli_command.h"
#include "programming/programming_history.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace ondrel::cli {
namespace {

QString readable(const HistoryRecord& r) {
    QString line =
        QStringLiteral("%1  %2  %3  %4  %5 bytes, CRC-32 %6  %7  %8 s  %9 packets, "
                       "%10 resent")
            .arg(r.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 r.procedure.leftJustified(8), r.result.leftJustified(9), historyFileName(r))
            .arg(r.imageSize)
            .arg(r.crc.isEmpty() ? QStringLiteral("-") : r.crc)
            .arg(r.port.isEmpty() ? r.device : QStringLiteral("port %1 (%2)").arg(r.port, r.device))
            .arg(double(r.durationMs) / 1000.0, 0, 'f', 1)
            .arg(r.packets)
            .arg(r.resends);
    if (!r.failure.isEmpty())
        line += QStringLiteral("\n    ") + r.failure;
    return line + QLatin1Char('\n');
}

int runHistory(const QStringList& args) {
    const QString name = QStringLiteral("history");
    QCommandLineParser parser;
    const QCommandLineOption csv(QStringLiteral("csv"));
    const QCommandLineOption file(QStringLiteral("file"), QString(), QStringLiteral("TEXT"));
    parser.addOptions({csv, file});
    if (!parser.parse(QStringList{name} + args))
        return usageError(name, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(name, QStringLiteral("takes no file; see --file"));

    const QString path = historyFilePath();
    const Result<HistoryContents> history = readHistory(path);
    if (!history) {
        err(history.error().message + QLatin1Char('\n'));
        return ExitFailure;
    }
    const QString filter = parser.value(file);
    QList<HistoryRecord> records;
    for (const HistoryRecord& r : history.value().records)
        if (filter.isEmpty() || r.file.contains(filter, Qt::CaseInsensitive))
            records << r;
    if (parser.isSet(csv)) {
        out(QLatin1String(kHistoryHeader) + QLatin1Char('\n'));
        for (const HistoryRecord& r : records)
            out(QString::fromUtf8(historyLine(r)));
    } else {
        out(QStringLiteral("%1 (%2 records, newest first)\n")
                .arg(QDir::toNativeSeparators(path))
                .arg(records.size()));
        for (auto r = records.crbegin(); r != records.crend(); ++r)
            out(readable(*r));
    }
    if (history.value().skipped > 0)
        err(QStringLiteral("%1 broken line(s) left out (a record cut short, e.g. by a crash).\n")
                .arg(history.value().skipped));
    return ExitOk;
}

} // namespace

ONDREL_CLI_COMMAND(history,
                   {QStringLiteral("history"), QStringLiteral("[--csv] [--file TEXT]"),
                    QStringLiteral("Shows the programming history, newest first."),
                    QStringLiteral("Every upload, factory restore and firmware update, from the "
                                   "windows and from\nondrel-cli, adds one record. --csv prints "
                                   "the records as CSV with a header line,\noldest first; --file "
                                   "keeps the records whose file name contains TEXT."),
                    runHistory});

} // namespace ondrel::cli
