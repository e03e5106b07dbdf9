#pragma once

#include "programming/hex_generator.h"
#include "programming/programming.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <gtest/gtest.h>
#ifndef Q_OS_WIN
#include <csignal>
#endif

namespace ondrel::test {
// Folder of the built programs and their data files (build/bin).
inline QString binDir() {
    return QStringLiteral(ONDREL_BIN_DIR);
}
inline QString sourceDir() {
    return QStringLiteral(ONDREL_SOURCE_DIR);
}
// A built program by name ("ondrel"), as the system names its executables.
inline QString programPath(const QString& name) {
#ifdef Q_OS_WIN
    return binDir() + QLatin1Char('/') + name + QStringLiteral(".exe");
#else
    return binDir() + QLatin1Char('/') + name;
#endif
}

// Tests that read a PDF back need pdftotext; tests that program the virtual panel need
// pseudo-terminals. Where the system lacks them (Windows) they are skipped, saying why.
#define ONDREL_SKIP_WITHOUT_PDFTOTEXT()                                                            \
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())                     \
    GTEST_SKIP() << "reads the PDF back with pdftotext, which this system lacks"
#ifdef Q_OS_WIN
#define ONDREL_SKIP_WITHOUT_PTYS()                                                                 \
    GTEST_SKIP() << "programs the virtual panel over a pseudo-terminal, which this system lacks"
#else
#define ONDREL_SKIP_WITHOUT_PTYS() static_cast<void>(0)
#endif

// Replaces `path` with `bytes`; returns `path`. A file that cannot be written fails the test.
inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                f.write(bytes) == bytes.size())
        << path.toStdString();
    return path;
}
inline QByteArray readFile(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

// How the panel holds `words` generated firmware words: each word high byte first.
inline QByteArray generatedFirmwareBytes(int words) {
    QByteArray bytes;
    for (int i = 0; i < words; ++i) {
        const quint16 word = generatedFirmwareWord(quint32(i));
        bytes.append(char(word >> 8)).append(char(word & 0xFF));
    }
    return bytes;
}

// A program folder as installed: the version-named firmware of `words` generated words from
// `wordAddress` on, and the factory data file.
inline void writeProgramFolder(const QString& dir, int words, quint32 wordAddress = 0,
                               const QByteArray& factory = "1,2,3,#", int wordsPerLine = 8) {
    QDir(dir).mkpath(QStringLiteral("firmware"));
    writeFile(firmwareFilePath(dir),
              generateFirmwareHex(words, wordAddress, wordsPerLine).toLatin1());
    writeFile(dir + QStringLiteral("/default.dat"), factory);
}
#ifndef Q_OS_WIN
// Sends `sig` to the test's own child only. Once the child has ended its process id reads 0, and
// kill(0) would signal the whole process group: the test runner and whatever started it.
inline bool signalChild(const QProcess& child, int sig) {
    const qint64 pid = child.processId();
    if (pid <= 0) {
        ADD_FAILURE() << "the child process has already ended; no signal " << sig << " sent";
        return false;
    }
    return ::kill(pid_t(pid), sig) == 0;
}
#endif
} // namespace ondrel::test
