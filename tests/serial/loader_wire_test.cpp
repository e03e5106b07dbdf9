// The loader's bytes on the wire, seen from the panel's end of a pseudo-terminal. The tool runs
// on the test's thread; a plain thread plays the panel through the pty's master end.
#include "platform/qt_serial_line.h"
#include "programming/programming.h"
#include "support/pty_pair.h"

#include <QElapsedTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace ondrel;
using ondrel::test::PtyPair;

namespace {

ProgrammingOptions options(int blockTimeoutMs) {
    ProgrammingOptions o;
    o.blockTimeoutMs = blockTimeoutMs;
    return o;
}

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class LoaderWire : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(line.open(SerialSettings{}).ok());
    }
    PtyPair pty;
    QtSerialLine line{pty.path()};
};

} // namespace

TEST_F(LoaderWire, HandshakePollsEvery100MsUntilTheLoaderAnswers) {
    QByteArray polls;
    std::thread panel([&] {
        // Three polls go unanswered, like a panel whose reset nobody has pressed yet.
        polls = pty.receive(3, 1000);
        pty.send(QByteArray(1, char(0xEB)));
    });
    QElapsedTimer timer;
    timer.start();
    Result<HandshakeOutcome> outcome = resetHandshake(line, options(300));
    const qint64 elapsed = timer.elapsed();
    panel.join();
    EXPECT_EQ(polls, QByteArray(3, char(0xEA)));
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.value(), HandshakeOutcome::Ready);
    EXPECT_GE(elapsed, 200);
    EXPECT_LT(elapsed, 600);
}

TEST_F(LoaderWire, APacketIsDoneWhenBothAnswerBytesAreIn) {
    // A late answer to the poll is no answer to the packet.
    pty.send(QByteArray(1, char(0xEB)));
    pause(20);
    const DataBlock block{0x1600, QByteArray::fromHex("0102")};
    QList<QByteArray> packets;
    std::thread panel([&] {
        packets << pty.receive(7, 1000);
        pty.send(QByteArray(1, char(0xE7)));
        pause(50);
        pty.send(QByteArray(1, char(0xE4)));
        packets << pty.receive(7, 1000);
        pty.send(QByteArray::fromHex("E7E5"));
        packets << pty.receive(7, 1000);
        pty.send(QByteArray(1, char(0xE7))); // half an answer
    });
    QElapsedTimer timer;
    timer.start();
    Result<BlockAnswer> accepted = SendDataBlock(line, block, options(2000));
    EXPECT_LT(timer.elapsed(), 1000); // done at the second byte, not at the time-out
    Result<BlockAnswer> garbled = SendDataBlock(line, block, options(2000));
    Result<BlockAnswer> cut = SendDataBlock(line, block, options(150));
    panel.join();
    EXPECT_EQ(packets, QList<QByteArray>(3, QByteArray::fromHex("E3160002030102")));
    EXPECT_EQ(accepted.value(), BlockAnswer::Accepted);
    EXPECT_EQ(garbled.value(), BlockAnswer::WrongAnswer);
    EXPECT_EQ(cut.value(), BlockAnswer::NoAnswer);
}
