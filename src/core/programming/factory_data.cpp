#include "programming/factory_data.h"

#include "files/input_file.h"
#include "programming/loader_protocol.h"

namespace ondrel {

Result<QByteArray> parseFactoryData(const QByteArray& text) {
    QByteArray buffer(kConfigCapacity, '\0');
    QByteArray collected;
    int position = 0;
    int line = 1;
    int numberLine = 1; // the line where the collected number starts
    for (char c : text) {
        if (c == '#')
            return buffer;
        if (c == ',') {
            const int number = position + 1;
            if (position >= kConfigCapacity)
                return makeError(QStringLiteral("default.dat, line %1: number %2 is one too many; "
                                                "the panel takes at most %3")
                                     .arg(numberLine)
                                     .arg(number)
                                     .arg(kConfigCapacity),
                                 numberLine);
            bool ok = false;
            const short value = collected.trimmed().toShort(&ok, 10);
            if (!ok)
                return makeError(QStringLiteral("default.dat, line %1: number %2 (\"%3\") is not a "
                                                "whole number from -32768 to 32767")
                                     .arg(numberLine)
                                     .arg(number)
                                     .arg(excerpt(QString::fromLatin1(collected.trimmed()))),
                                 numberLine);
            buffer[position++] = static_cast<char>(value & 0xFF);
            collected.clear();
            numberLine = line;
            continue;
        }
        if (c == '\n') {
            ++line;
            if (collected.trimmed().isEmpty())
                numberLine = line;
        }
        collected.append(c);
    }
    return makeError(
        QStringLiteral("default.dat ends without the closing \"#\" (line %1)").arg(line), line);
}

Result<QByteArray> readFactoryDataFile(const QString& path) {
    const Result<QByteArray> bytes =
        readInputFile(path, kMaxFactoryDataFileBytes, QStringLiteral("a factory setup file"));
    if (!bytes)
        return makeError(QStringLiteral("Cannot read %1: %2").arg(path, bytes.error().message));
    return parseFactoryData(bytes.value());
}

QByteArray formatFactoryData(const QByteArray& image) {
    QByteArray text;
    for (char c : image)
        text += QByteArray::number(static_cast<quint8>(c)) + ',';
    return text + '#';
}

} // namespace ondrel
