// The virtual panel's wire model and the older fixed pacing kept for comparison: the benchmark's
// ratios mean something only if the panel never answers sooner than the wire would let it.
#include "platform/qt_serial_line.h"
#include "programming/programming.h"
#include "support/virtual_panel.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::test::VirtualPanel;

namespace {

// Milliseconds one 16-byte block takes from sending to its accepted answer.
double blockMs(const QStringList& panelOptions, int fixedPauseMs = 0) {
    VirtualPanel panel(panelOptions);
    EXPECT_TRUE(panel.ok());
    QtSerialLine line(panel.path());
    EXPECT_TRUE(line.open(SerialSettings{}).ok());
    ProgrammingOptions options;
    options.handshakeTimeoutMs = 3000;
    options.fixedPauseMs = fixedPauseMs;
    Result<HandshakeOutcome> ready = resetHandshake(line, options);
    EXPECT_TRUE(ready.ok() && ready.value() == HandshakeOutcome::Ready);
    QElapsedTimer timer;
    timer.start();
    Result<BlockAnswer> answer =
        SendDataBlock(line, DataBlock{0x1600, QByteArray(16, '\x11')}, options);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    EXPECT_TRUE(answer.ok() && answer.value() == BlockAnswer::Accepted);
    return ms;
}

} // namespace

TEST(WireModel, ThePanelAnswersNoSoonerThanTheWireAndItsWriteTimeAllow) {
    // 21 packet bytes out and 2 answer bytes back, 10 bits each.
    EXPECT_GE(blockMs({QStringLiteral("--baud"), QStringLiteral("19200")}), 23 * 10 / 19.2);
    EXPECT_GE(blockMs({QStringLiteral("--baud"), QStringLiteral("9600")}), 23 * 10 / 9.6);
    EXPECT_GE(blockMs({QStringLiteral("--baud"), QStringLiteral("19200"),
                       QStringLiteral("--write-ms"), QStringLiteral("40")}),
              40 + 23 * 10 / 19.2);
}

TEST(WireModel, TheOldPacingPausesAfterEveryAnswerAndStillReadsIt) {
    EXPECT_GE(blockMs({}, 100), 100.0);
}
