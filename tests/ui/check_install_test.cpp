// "ondrel --check-install" run as the package check runs it: the built program beside its data,
// and copies of it in folders where the data is missing or damaged.
#include "support/test_support.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Check {
    int exitCode = -1;
    QString out;
};

Check checkInstall(const QString& program) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, {QStringLiteral("--check-install")});
    EXPECT_TRUE(p.waitForFinished(30000));
    Check check{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromLocal8Bit(p.readAllStandardOutput())};
    check.out.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); // Windows' line ends
    return check;
}

// A folder holding a copy of the program and whatever `files` name (relative path, content).
QString programIn(const QTemporaryDir& dir, const QList<std::pair<QString, QByteArray>>& files) {
    const QString built = ondrel::test::programPath(QStringLiteral("ondrel"));
    const QString program = dir.filePath(QFileInfo(built).fileName());
    EXPECT_TRUE(QFile::copy(built, program));
    for (const auto& [name, content] : files) {
        QDir(dir.path()).mkpath(QFileInfo(dir.filePath(name)).path());
        ondrel::test::writeFile(dir.filePath(name), content);
    }
    return program;
}

} // namespace

TEST(CheckInstall, TheBuiltProgramFindsItsDataAndCopiesWithoutItFailNamingEachFile) {
    const Check built = checkInstall(ondrel::test::programPath(QStringLiteral("ondrel")));
    EXPECT_EQ(built.exitCode, 0) << built.out.toStdString();
    for (const char* line :
         {"ok      catalogue: ", "default.dat, 4097 bytes\n", "ok      firmware folder: "})
        EXPECT_TRUE(built.out.contains(QString::fromLatin1(line))) << line;
    EXPECT_TRUE(built.out.endsWith(QStringLiteral("check-install: ok\n")));

    // Nothing beside it; then a catalogue that is no database and a factory file without its
    // closing "#", and a firmware folder that holds no firmware yet, which is no failure.
    QTemporaryDir empty, damaged;
    const Check none = checkInstall(programIn(empty, {}));
    const Check bad =
        checkInstall(programIn(damaged, {{QStringLiteral("Proj.qdb"), "not a database"},
                                         {QStringLiteral("default.dat"), "1,2,3,"},
                                         {QStringLiteral("firmware/README"), "later"}}));
    for (const Check& check : {none, bad}) {
        EXPECT_EQ(check.exitCode, 1) << check.out.toStdString();
        EXPECT_TRUE(check.out.contains(QStringLiteral("FAILED  catalogue: ")));
        EXPECT_TRUE(check.out.contains(QStringLiteral("FAILED  factory setup: ")));
        EXPECT_TRUE(check.out.endsWith(QStringLiteral("check-install: FAILED\n")));
    }
    EXPECT_TRUE(none.out.contains(QStringLiteral("FAILED  firmware folder: ")));
    EXPECT_TRUE(bad.out.contains(QStringLiteral("ok      firmware folder: ")));
    EXPECT_TRUE(bad.out.contains(QStringLiteral(".hex not there yet")));
}
