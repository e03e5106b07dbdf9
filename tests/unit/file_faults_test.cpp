// Configuration files under real faults: a folder that cannot be written, a full disk, a file
// another program replaces during the save, files cut short. The old file stays as it was, the
// project keeps its changes, and the message says what happened.
#include "files/qcd_file.h"
#include "programming/factory_data.h"
#include "programming/intel_hex.h"
#include "support/qcd_fixtures.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace ondrel;
using namespace ondrel::test;

namespace {

#ifdef Q_OS_LINUX
// Mounts made in a mount namespace of this test process alone: they vanish with it, and they are
// real even for root, who ignores permission bits. Unavailable without the right to mount.
bool privateMounts() {
    static const bool available = unshare(CLONE_NEWNS) == 0 &&
                                  mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return available;
}
#endif

class FileFaults : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir.filePath(QStringLiteral("Custom"));
        ASSERT_TRUE(QDir().mkpath(folder));
        target = folder + QStringLiteral("/setup.qcd");
        old = fileBytes(workedExampleLines());
        test::writeFile(target, old);
        setUpFullState(state); // unsaved changes
    }
    void TearDown() override {
#ifdef Q_OS_LINUX
        if (mounted)
            umount2(folder.toLocal8Bit().constData(), MNT_DETACH);
#endif
    }

    // The save failed, said so, and left everything as it was.
    void expectRefusedAndKept(const Result<QString>& saved, const char* reason) {
        ASSERT_FALSE(saved.ok());
        EXPECT_TRUE(saved.error().message.contains(QLatin1String(reason)))
            << saved.error().message.toStdString();
        EXPECT_EQ(test::readFile(target), old);
        EXPECT_TRUE(state.isModified());
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"setup.qcd"});
    }

    // The command-line companion saving over the same file, as an installer would see it.
    void expectCliTells(const char* reason) {
        QProcess cli;
        cli.start(binDir() + QStringLiteral("/ondrel-cli"),
                  {QStringLiteral("resave"), source(), target});
        ASSERT_TRUE(cli.waitForFinished(20000));
        EXPECT_EQ(cli.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        // Catalogue warnings about the source file's models may come first.
        EXPECT_TRUE(err.contains(target + QStringLiteral(": cannot write the file")))
            << err.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(reason))) << err.toStdString();
        EXPECT_EQ(test::readFile(target), old);
    }

    // A second, valid file outside the faulty folder, for the companion to open.
    QString source() {
        const QString path = dir.filePath(QStringLiteral("full.qcd"));
        ProjectState full;
        setUpFullState(full);
        EXPECT_TRUE(saveQcd(full, path).ok());
        return path;
    }

    QTemporaryDir dir;
    QString folder, target;
    QByteArray old;
    ProjectState state;
    bool mounted = false;
};

#ifdef Q_OS_LINUX // read-only folders and full disks are made with mounts
TEST_F(FileFaults, SaveIntoAReadOnlyFolderKeepsTheOldFile) {
    if (privateMounts()) {
        const QByteArray path = folder.toLocal8Bit();
        ASSERT_EQ(mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr), 0);
        mounted = true;
        ASSERT_EQ(
            mount(nullptr, path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr),
            0);
    } else if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    } else {
        GTEST_SKIP() << "root without the right to mount: no folder is read-only for us";
    }
    expectRefusedAndKept(saveConfiguration(state, target), "is not writable");
    // A new name in that folder: refused, nothing created.
    const auto other = saveConfiguration(state, folder + QStringLiteral("/other"));
    ASSERT_FALSE(other.ok());
    EXPECT_TRUE(other.error().message.startsWith("cannot write the file: "))
        << other.error().message.toStdString();
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/other.qcd")));
    expectCliTells("is not writable");
    if (!mounted)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A small disk filled to the last block. Without the right to mount, the file size limit test
// of the reader's own tests injects the same short write.
TEST_F(FileFaults, SaveOntoAFullDiskKeepsTheOldFile) {
    if (!privateMounts())
        GTEST_SKIP() << "no right to mount a small disk";
    const QByteArray path = folder.toLocal8Bit();
    ASSERT_EQ(mount("tmpfs", path.constData(), "tmpfs", 0, "size=64k,mode=755"), 0);
    mounted = true;
    test::writeFile(target, old);
    {
        QFile filler(folder + QStringLiteral("/.filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
        while (filler.open(QIODevice::Append | QIODevice::Unbuffered) && filler.write("x", 1) == 1)
            filler.close();
    }
    const auto saved = saveConfiguration(state, target);
    QFile::remove(folder + QStringLiteral("/.filler")); // only now, the check lists the folder
    // The full disk stays full for the companion: fill it again.
    {
        QFile filler(folder + QStringLiteral("/.filler2"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
    }
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().message.contains(QLatin1String("No space left on device")))
        << saved.error().message.toStdString();
    EXPECT_EQ(test::readFile(target), old);
    EXPECT_TRUE(state.isModified());
    expectCliTells("No space left on device");
}
#endif

TEST_F(FileFaults, SaveOverAFileReplacedMeanwhileKeepsTheOtherProgramsFile) {
    const QByteArray theirs = fileBytes({"<Timer>", "2:00", "1:30", "1:00", "0:30", "<End>"});
    // Another program writes its own file and renames it over ours while our save is under way.
    const auto saved = saveQcd(state, target, [&] {
        test::writeFile(folder + QStringLiteral("/theirs.tmp"), theirs);
        std::error_code failed;
        std::filesystem::rename(
            QFile::encodeName(folder + QStringLiteral("/theirs.tmp")).toStdString(),
            QFile::encodeName(target).toStdString(), failed);
        ASSERT_FALSE(failed) << failed.message();
    });
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().message.contains(QLatin1String("another program")))
        << saved.error().message.toStdString();
    EXPECT_EQ(test::readFile(target), theirs);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"setup.qcd"});

    // Changed in place, and a file that appears where there was none, count the same.
    const auto inPlace = saveQcd(state, target, [&] { test::writeFile(target, old); });
    EXPECT_FALSE(inPlace.ok());
    EXPECT_EQ(test::readFile(target), old);
    const QString fresh = folder + QStringLiteral("/fresh.qcd");
    EXPECT_FALSE(saveQcd(state, fresh, [&] { test::writeFile(fresh, theirs); }).ok());
    EXPECT_EQ(test::readFile(fresh), theirs);

    // Left alone, the same save goes through.
    ASSERT_TRUE(saveConfiguration(state, target).ok());
    EXPECT_EQ(test::readFile(target), writeQcd(state));
}

// Every prefix of a valid file, cut after each whole line and inside each line, is refused with a
// line number, and the open project stays exactly as it was.
TEST_F(FileFaults, FileCutShortAnywhereIsRefusedWithItsLineAndChangesNothing) {
    setUpWorkedExample(state);
    state.setUnmodified();
    const QByteArray before = writeQcd(state);
    const QStringList lines = workedExampleLines();
    ASSERT_EQ(lines.size(), 176);
    const QString cut = dir.filePath(QStringLiteral("cut.qcd"));
    for (int kept = 0; kept < lines.size(); ++kept) {
        const QByteArray whole = fileBytes(lines.mid(0, kept));
        const QByteArray next = fileBytes({lines[kept]});
        for (const QByteArray& bytes : {whole, whole + next.left(next.size() / 2)}) {
            test::writeFile(cut, bytes);
            const auto opened = openConfiguration(state, cut, {});
            ASSERT_FALSE(opened.ok()) << "cut after line " << kept;
            EXPECT_GE(opened.error().line, 1) << "cut after line " << kept;
            EXPECT_LE(opened.error().line, kept + 1) << "cut after line " << kept;
            EXPECT_TRUE(fileErrorText(cut, opened.error())
                            .startsWith(cut + QStringLiteral(":%1: ").arg(opened.error().line)));
            EXPECT_EQ(writeQcd(state), before) << "cut after line " << kept;
            EXPECT_FALSE(state.isModified());
        }
    }
    // The whole file opens.
    test::writeFile(cut, fileBytes(lines));
    EXPECT_TRUE(openConfiguration(state, cut, {}).ok());
}

} // namespace

// Every reader of outside files takes a regular file of a sane size only: a pipe or a device is
// refused at once (reading one would wait for ever or never end), a large file before it is read.
// The test itself hanging or running out of memory is the failure.
TEST(InputFiles, PipesDevicesFoldersAndHugeFilesAreRefusedInAFewWords) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo")), huge = dir.filePath("huge");
#ifdef Q_OS_LINUX
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
#endif
    QFile hugeFile(huge);
    ASSERT_TRUE(hugeFile.open(QIODevice::WriteOnly) && hugeFile.resize(qint64(1) << 31));
    const std::pair<QString, const char*> inputs[] = {
#ifdef Q_OS_LINUX
        {fifo, "it is a device or a pipe, not a regular file"},
        {QStringLiteral("/dev/zero"), "it is a device or a pipe, not a regular file"},
#endif
        {dir.path(), "it is a folder, not a file"},
        {huge, "it is 2147483648 bytes long, and a"},
    };
    const auto message = [](const auto& result) {
        return result ? QString() : result.error().message;
    };
    for (const auto& [path, reason] : inputs) {
        ProjectState state;
        for (const QString& text :
             {message(openConfiguration(state, path, {})), message(readFirmwareFile(path)),
              message(readFactoryDataFile(path))}) {
            EXPECT_TRUE(text.contains(QLatin1String(reason))) << text.toStdString();
            EXPECT_LT(text.size(), 250) << text.toStdString();
        }
    }
}
