#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>

namespace ondrel {

// Upper bounds of the files the tool reads, far above any real one, so that a wrong choice (a
// disk image, a log) is refused at once instead of filling memory and a message box.
// A configuration file the tool writes is a few KB; forty commands of 255 bytes make about 45 KB.
inline constexpr qint64 kMaxConfigurationFileBytes = 1 << 20;
// Firmware for the panel's whole 64 KB address space in 16-byte records is about 180 KB.
inline constexpr qint64 kMaxFirmwareFileBytes = 1 << 20;
// 4097 numbers of up to six characters with their commas and blanks stay under 40 KB.
inline constexpr qint64 kMaxFactoryDataFileBytes = 256 << 10;
// A model file of forty commands of 255 bytes written in hex ("0x02, ") is about 60 KB.
inline constexpr qint64 kMaxModelFileBytes = 1 << 20;
// The programming history grows by one line of about 200 bytes a run: 64 MB hold 300,000 runs.
inline constexpr qint64 kMaxHistoryFileBytes = 64 << 20;
// A file about to be replaced is read to see whether another program changed it meanwhile; the
// tool writes none larger than its history.
inline constexpr qint64 kMaxReplacedFileBytes = kMaxHistoryFileBytes;

// Reads a whole input file. Only a regular file is read: a folder, a pipe or a device (which
// could block or never end) is refused at once, and so is a file larger than `maxBytes`, before
// any of it is read. `kind` names the file in the size message ("a configuration file").
// Errors are the reason alone, for the caller to put after the file's name.
Result<QByteArray> readInputFile(const QString& path, qint64 maxBytes, const QString& kind);

// At most `maxChars` characters of `text` for a message, control and other unprintable
// characters escaped (\0, \t, \x1B, \u200B), and "…" where it was cut.
QString excerpt(const QString& text, int maxChars = 40);

} // namespace ondrel
