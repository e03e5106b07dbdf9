#pragma once

#include "support/test_support.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace ondrel::test {

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

// Runs the built ondrel-cli with `args` and collects what it printed.
inline CliRun cli(const QStringList& args) {
    QProcess p;
    p.start(binDir() + "/ondrel-cli", args);
    EXPECT_TRUE(p.waitForFinished(30000));
    CliRun run{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
               QString::fromLocal8Bit(p.readAllStandardOutput()),
               QString::fromLocal8Bit(p.readAllStandardError())};
#ifdef Q_OS_WIN // a console program's text lines end in CR LF there
    run.out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    run.err.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
    return run;
}

} // namespace ondrel::test
