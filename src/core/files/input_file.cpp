#include "files/input_file.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ondrel {

namespace {

Error tooLarge(qint64 size, qint64 maxBytes, const QString& kind) {
    return makeError(QStringLiteral("it is %1 bytes long, and %2 is at most %3 bytes; it was not "
                                    "read")
                         .arg(size)
                         .arg(kind)
                         .arg(maxBytes));
}

QString hexDigits(uint value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

const QString kFolder = QStringLiteral("it is a folder, not a file");
const QString kNotRegular = QStringLiteral("it is a device or a pipe, not a regular file");

} // namespace

Result<QByteArray> readInputFile(const QString& path, qint64 maxBytes, const QString& kind) {
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without waiting (a pipe would wait for a writer) and judged by what was opened, so
    // the file cannot be swapped between the look and the read.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return makeError(qt_error_string(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return makeError(S_ISDIR(info.st_mode) ? kFolder : kNotRegular);
    }
    if (info.st_size > maxBytes) {
        ::close(fd);
        return tooLarge(info.st_size, maxBytes, kind);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return makeError(file.errorString());
    }
#else
    const QFileInfo info(path);
    if (info.isDir())
        return makeError(kFolder);
    if (info.exists() && !info.isFile())
        return makeError(kNotRegular);
    if (info.size() > maxBytes)
        return tooLarge(info.size(), maxBytes, kind);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return makeError(file.errorString());
#endif
    // One byte more than allowed tells a file that grew since it was measured.
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return makeError(file.errorString());
    if (bytes.size() > maxBytes)
        return tooLarge(bytes.size(), maxBytes, kind);
    return bytes;
}

QString excerpt(const QString& text, int maxChars) {
    QString shown;
    int count = 0;
    for (qsizetype i = 0; i < text.size() && count < maxChars; ++i, ++count) {
        const QChar c = text[i];
        if (c.isPrint() || c == QLatin1Char(' '))
            shown += c;
        else if (c == QChar(0))
            shown += QLatin1String("\\0");
        else if (c == QLatin1Char('\t'))
            shown += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            shown += QLatin1String("\\r");
        else if (c == QLatin1Char('\n'))
            shown += QLatin1String("\\n");
        else if (c.unicode() < 0x100)
            shown += QLatin1String("\\x") + hexDigits(c.unicode(), 2);
        else
            shown += QLatin1String("\\u") + hexDigits(c.unicode(), 4);
    }
    if (count < text.size())
        shown += QChar(0x2026);
    return shown;
}

} // namespace ondrel
