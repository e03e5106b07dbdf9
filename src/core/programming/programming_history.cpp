#include "programming/programming_history.h"
#include "files/input_file.h"

#include "app_paths.h"
#include "files/crc32.h"
#include "programming/factory_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#endif

namespace ondrel {

namespace {

constexpr int kFieldCount = 12;

QString resultText(ProgrammingResult::Outcome outcome) {
    switch (outcome) {
    case ProgrammingResult::Outcome::Succeeded:
        return QStringLiteral("succeeded");
    case ProgrammingResult::Outcome::Cancelled:
        return QStringLiteral("cancelled");
    case ProgrammingResult::Outcome::Failed:
        break;
    }
    return QStringLiteral("failed");
}

QString csvField(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The fields of one line; false when its quotes do not close.
bool splitCsvLine(const QString& line, QStringList& fields) {
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return !quoted;
}

bool parseRecord(const QString& line, HistoryRecord& r) {
    QStringList f;
    if (!splitCsvLine(line, f) || f.size() != kFieldCount)
        return false;
    bool sizeOk = false, durationOk = false, packetsOk = false, resendsOk = false;
    r.time = QDateTime::fromString(f[0], Qt::ISODate);
    r.procedure = f[1];
    r.file = f[2];
    r.imageSize = f[3].toLongLong(&sizeOk);
    r.crc = f[4];
    r.port = f[5];
    r.device = f[6];
    r.result = f[7];
    r.failure = f[8];
    r.durationMs = qRound64(f[9].toDouble(&durationOk) * 1000);
    r.packets = f[10].toInt(&packetsOk);
    r.resends = f[11].toInt(&resendsOk);
    return r.time.isValid() && sizeOk && durationOk && packetsOk && resendsOk &&
           !r.procedure.isEmpty() && !r.result.isEmpty();
}

} // namespace

QString historyFilePath() {
    return QDir(userDataFolder()).filePath(QLatin1String(kHistoryFileName));
}

HistoryRecord startRecord(const QString& procedure, const QString& file, const QByteArray& image) {
    HistoryRecord r;
    const QDateTime now = QDateTime::currentDateTime();
    r.time = now.toOffsetFromUtc(now.offsetFromUtc());
    r.procedure = procedure;
    r.file = file;
    r.imageSize = image.size();
    if (!image.isEmpty())
        r.crc = crc32Text(crc32(image));
    return r;
}

HistoryRecord startRestoreRecord(const QString& programDir) {
    const QString path = QDir(programDir).filePath(QLatin1String(kFactoryDataFileName));
    const Result<QByteArray> image = readFactoryDataFile(path);
    return startRecord(QStringLiteral("restore"), path, image ? image.value() : QByteArray());
}

HistoryRecord startFirmwareRecord(const QString& firmwarePath, Status* read) {
    const Result<QByteArray> bytes =
        readInputFile(firmwarePath, kMaxFirmwareFileBytes, QStringLiteral("a firmware file"));
    if (read)
        *read = bytes ? Status(Ok{})
                      : Status(makeError(QStringLiteral("cannot read the firmware file %1 for the "
                                                        "programming history: %2")
                                             .arg(QDir::toNativeSeparators(firmwarePath),
                                                  bytes.error().message)));
    return startRecord(QStringLiteral("firmware"), firmwarePath,
                       bytes ? bytes.value() : QByteArray());
}

void finishRecord(HistoryRecord& record, const ProgrammingResult& result, qint64 durationMs) {
    record.result = resultText(result.outcome);
    record.failure = result.succeeded() ? QString() : result.detail;
    record.durationMs = durationMs;
    record.packets = result.packetsSent;
    record.resends = result.resends;
}

QString historyFileName(const HistoryRecord& record) {
    if (record.file.isEmpty() && record.procedure == QLatin1String("upload"))
        return QStringLiteral("(not saved)");
    return QFileInfo(record.file).fileName();
}

QByteArray historyLine(const HistoryRecord& r) {
    const QStringList fields{r.time.toString(Qt::ISODate),
                             csvField(r.procedure),
                             csvField(r.file),
                             QString::number(r.imageSize),
                             csvField(r.crc),
                             csvField(r.port),
                             csvField(r.device),
                             csvField(r.result),
                             csvField(r.failure),
                             QString::number(double(r.durationMs) / 1000.0, 'f', 1),
                             QString::number(r.packets),
                             QString::number(r.resends)};
    return fields.join(QLatin1Char(',')).toUtf8() + '\n';
}

Status appendHistory(const HistoryRecord& record, const QString& path) {
    auto failed = [&](const QString& why) {
        return makeError(QStringLiteral("cannot add to the programming history %1: %2")
                             .arg(QDir::toNativeSeparators(path), why));
    };
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return failed(QStringLiteral("the folder cannot be created"));
    // The lock covers the look at the file's end and the write, between programs; the append
    // mode alone already keeps one write whole.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(10'000))
        return failed(QStringLiteral("another program holds it"));

    QByteArray bytes = historyLine(record);
    {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.size() > 0) {
            // A crash may have left a line without its end: close it, so that the broken line
            // stays alone and is skipped, instead of swallowing this record.
            existing.seek(existing.size() - 1);
            if (existing.read(1) != "\n")
                bytes.prepend('\n');
        } else {
            bytes.prepend(QByteArray(kHistoryHeader) + '\n');
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered))
        return failed(file.errorString());
    if (file.write(bytes) != bytes.size())
        return failed(file.errorString());
#ifdef Q_OS_UNIX
    ::fsync(file.handle());
#elif defined(Q_OS_WIN)
    ::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle())));
#endif
    return Ok{};
}

HistoryContents parseHistory(const QByteArray& bytes) {
    HistoryContents contents;
    const QList<QByteArray> lines = bytes.split('\n');
    // The last piece follows the last line feed: empty, or a record whose write never ended.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = QString::fromUtf8(lines[i]);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line == QLatin1String(kHistoryHeader))
            continue;
        HistoryRecord record;
        if (i + 1 < lines.size() && parseRecord(line, record))
            contents.records << record;
        else
            ++contents.skipped;
    }
    return contents;
}

Result<HistoryContents> readHistory(const QString& path) {
    if (!QFile::exists(path))
        return HistoryContents{};
    const Result<QByteArray> bytes =
        readInputFile(path, kMaxHistoryFileBytes, QStringLiteral("the programming history"));
    if (!bytes)
        return makeError(QStringLiteral("cannot read the programming history %1: %2")
                             .arg(QDir::toNativeSeparators(path), bytes.error().message));
    return parseHistory(bytes.value());
}

} // namespace ondrel
