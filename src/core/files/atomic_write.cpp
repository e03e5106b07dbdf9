#include "files/atomic_write.h"
#include "files/input_file.h"

#include <QFile>
#include <QSaveFile>
#include <optional>

namespace ondrel {

namespace {

// The file's bytes, or nothing when there is no readable file.
std::optional<QByteArray> currentContent(const QString& path) {
    Result<QByteArray> content =
        readInputFile(path, kMaxReplacedFileBytes, QStringLiteral("a file the tool replaces"));
    if (!content)
        return std::nullopt;
    return std::move(content).value();
}

} // namespace

Status writeFileAtomically(const QString& path, const QByteArray& bytes,
                           const std::function<void()>& beforeReplace) {
    QSaveFile file(path);
    // Unbuffered, so that a short write (disk full, file size limit) shows in write()'s count:
    // through the buffer, QSaveFile commits a truncated file as a success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return makeError(QStringLiteral("cannot write the file: %1").arg(file.errorString()));
    const std::optional<QByteArray> before = currentContent(path);
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return makeError(QStringLiteral("cannot write the file: %1").arg(reason));
    }
    if (beforeReplace)
        beforeReplace();
    // The files written here are small: comparing the whole content is cheap and needs no file ids.
    if (currentContent(path) != before) {
        file.cancelWriting();
        return makeError(QStringLiteral("another program changed or replaced the file while it "
                                        "was being saved; its version was kept (save again to "
                                        "replace it)"));
    }
    if (!file.commit())
        return makeError(QStringLiteral("cannot write the file: %1").arg(file.errorString()));
    return Ok{};
}

} // namespace ondrel
