#include "programming/firmware_files.h"
#include "files/input_file.h"

#include "app_paths.h"
#include "files/atomic_write.h"
#include "ondrel/version.h"
#include "programming/intel_hex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ondrel {

QString firmwareFileName() {
    return QStringLiteral("%1_%2_%3.hex")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

QStringList firmwareFolders(const QString& programDir) {
    return {QDir(programDir).filePath(QStringLiteral("firmware")), userFirmwareFolder()};
}

QString locateFirmwareFile(const QString& programDir) {
    const QStringList folders = firmwareFolders(programDir);
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(firmwareFileName());
        if (QFileInfo(path).isFile())
            return path;
    }
    return QDir(folders.first()).filePath(firmwareFileName());
}

bool firmwareFilePresent(const QString& programDir) {
    return QFileInfo(locateFirmwareFile(programDir)).isFile();
}

Result<QString> installFirmwareFile(const QString& chosen) {
    const Result<QByteArray> read =
        readInputFile(chosen, kMaxFirmwareFileBytes, QStringLiteral("a firmware file"));
    if (!read)
        return makeError(QStringLiteral("Cannot read %1: %2.").arg(chosen, read.error().message));
    const QByteArray& bytes = read.value();
    const auto blocks = parseFirmwareText(QString::fromLatin1(bytes));
    if (!blocks)
        return makeError(
            QStringLiteral("%1 is not usable firmware: %2").arg(chosen, blocks.error().message),
            blocks.error().line);
    const QString folder = userFirmwareFolder();
    if (!QDir().mkpath(folder))
        return makeError(QStringLiteral("Cannot create the folder %1.").arg(folder));
    const QString target = QDir(folder).filePath(firmwareFileName());
    if (Status written = writeFileAtomically(target, bytes); !written)
        return makeError(QStringLiteral("Cannot copy the firmware to %1: %2")
                             .arg(target, written.error().message));
    return target;
}

} // namespace ondrel
