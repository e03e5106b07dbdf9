#include "platform/qt_serial_line.h"
#include "programming/programming_worker.h"
#include "support/virtual_panel.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::test::VirtualPanel;

namespace {

// Runs the event loop until the worker finishes, at most `timeoutMs`.
std::optional<ProgrammingResult> waitForResult(ProgrammingWorker& worker, int timeoutMs) {
    std::optional<ProgrammingResult> result;
    QEventLoop loop;
    QObject::connect(&worker, &ProgrammingWorker::finished, &loop, [&](const ProgrammingResult& r) {
        result = r;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

} // namespace

TEST(ProgrammingWorker, RunsOffTheCallersThreadReportsOnItAndOneAtATime) {
    VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("100")});
    ASSERT_TRUE(panel.ok());
    QTemporaryDir dir;
    test::writeProgramFolder(dir.path(), 16);
    ProgrammingWorker worker;
    int stages = 0, progress = 0;
    bool allOnCallersThread = true;
    const auto count = [&](int& n) {
        ++n;
        allOnCallersThread &= QThread::currentThread() == qApp->thread();
    };
    QObject::connect(&worker, &ProgrammingWorker::stageChanged, [&] { count(stages); });
    QObject::connect(&worker, &ProgrammingWorker::progressChanged, [&] { count(progress); });
    auto line = std::make_shared<QtSerialLine>(panel.path());
    ProgrammingOptions options;
    options.pollIntervalMs = 20;
    const QString folder = dir.path();
    ASSERT_TRUE(worker.start(
        [line, folder](const ProgrammingOptions& o) {
            return UploadConfiguration(*line, QByteArray(100, '\x5A'), folder, o);
        },
        options));
    EXPECT_TRUE(worker.isRunning());
    EXPECT_FALSE(worker.start([](const ProgrammingOptions&) { return ProgrammingResult{}; }));

    const auto result = waitForResult(worker, 10000);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->succeeded()) << result->detail.toStdString();
    EXPECT_FALSE(worker.isRunning());
    EXPECT_TRUE(allOnCallersThread);
    EXPECT_EQ(stages, 4);
    EXPECT_GT(progress, 2);
}
