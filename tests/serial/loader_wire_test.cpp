// The loader's bytes on the wire, seen from the panel's end of a pseudo-terminal. The tool runs
// on the test's thread; a plain thread plays the panel through the pty's master end.
#include "platform/qt_serial_line.h"
#include "programming/programming.h"
#include "support/pty_pair.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <thread>

using namespace ondrel;
using ondrel::test::PtyPair;

TEST(LoaderWire, HandshakePollsEvery100MsUntilTheLoaderAnswers) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QtSerialLine line(pty.path());
    ASSERT_TRUE(line.open(SerialSettings{}).ok());
    QByteArray polls;
    std::thread panel([&] {
        // Three polls go unanswered, like a panel whose reset nobody has pressed yet.
        polls = pty.receive(3, 1000);
        pty.send(QByteArray(1, char(0xEB)));
    });
    QElapsedTimer timer;
    timer.start();
    ProgrammingOptions options;
    options.blockTimeoutMs = 300;
    Result<HandshakeOutcome> outcome = resetHandshake(line, options);
    const qint64 elapsed = timer.elapsed();
    panel.join();
    EXPECT_EQ(polls, QByteArray(3, char(0xEA)));
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.value(), HandshakeOutcome::Ready);
    EXPECT_GE(elapsed, 200);
    EXPECT_LT(elapsed, 600);
}
