#include "platform/qt_serial_line.h"
#include "support/pty_pair.h"
#include "support/ser2net.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::test::PtyPair;
using ondrel::test::Ser2net;

namespace {
const SerialSettings kLoader{19200, Parity::None, 8, 1};
}

TEST(SerialSettingsText, ParsesAndWritesTheToolsSettings) {
    EXPECT_EQ(SerialSettings::parse(QStringLiteral("19200,N,8,1")).value(), kLoader);
    EXPECT_EQ(SerialSettings::parse(QStringLiteral("9600,e,8,1")).value().parity, Parity::Even);
    for (const char* bad : {"19200,X,8,1", "fast,N,8,1", "19200,N,8"})
        EXPECT_FALSE(SerialSettings::parse(QString::fromLatin1(bad)).ok()) << bad;
}

// Through the factory, so each system's own line (QSerialPort or Windows calls) is checked.
TEST(QtSerialLineFactory, OpeningAMissingPortSaysWhy) {
    const QString device = QStringLiteral("/dev/ondrel-no-such-port");
    const std::unique_ptr<SerialLine> missing = QtSerialLineFactory().create(device);
    Status opened = missing->open(kLoader);
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error().message,
              QStringLiteral("The serial port %1 does not exist.").arg(device));
    EXPECT_FALSE(missing->isOpen());
    EXPECT_EQ(missing->deviceName(), device);
}

// Each kind of line: a PC port (here a pseudo-terminal), and ser2net in front of one, telnet
// with RFC 2217 and raw TCP. Every byte value crosses both ways (the Telnet escape 0xFF and
// CR NUL as data too), a read waits its time-out, and a far end that goes away reads like an
// unplugged adapter, on a worker thread's blocking reads and on a window's event loop alike.
TEST(SerialLines, EveryByteCrossesBothWaysAndAHangUpReadsLikeAnUnpluggedAdapter) {
    ASSERT_TRUE(Ser2net::installed()) << "ser2net is missing: run scripts/setup";
    using Mode = Ser2net::Mode;
    QByteArray all = QByteArray("\r\n\r\0\xFF\xFF", 6);
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    for (const int route : {0, 1, 2})
        for (const bool eventLoop : {false, true}) {
            SCOPED_TRACE(testing::Message() << "route " << route << ", event loop " << eventLoop);
            PtyPair pty;
            ASSERT_TRUE(pty.ok());
            std::unique_ptr<Ser2net> server;
            if (route > 0)
                server =
                    std::make_unique<Ser2net>(pty.path(), route == 1 ? Mode::Rfc2217 : Mode::Raw);
            ASSERT_TRUE(!server || server->ok());
            const std::unique_ptr<SerialLine> line =
                makeSerialLine(server ? server->address() : pty.path());
            ASSERT_TRUE(line->open(kLoader).ok());
            // ser2net cannot set a pseudo-terminal's modem lines and does not confirm them: said
            // once, and the line works. A raw line says whose settings are in force.
            EXPECT_TRUE(line->notice().contains(route == 0   ? ""
                                                : route == 1 ? "cannot set DTR and RTS"
                                                             : "carries bytes only"));
            ASSERT_TRUE(line->write(all).ok() && line->waitForWritten(1000).ok());
            EXPECT_EQ(pty.receive(int(all.size()), 2000), all);
            pty.send(all);
            QByteArray got;
            for (Result<QByteArray> part = QByteArray(); part && got.size() < all.size();)
                got += (part = line->read(1 + route % 2 * 999, 2000)) ? part.value() : QByteArray();
            EXPECT_EQ(got, all);
            QElapsedTimer timer;
            timer.start();
            EXPECT_EQ(line->read(1, 150).value(), QByteArray());
            EXPECT_GE(timer.elapsed(), 140);
            EXPECT_LT(timer.elapsed(), 1000);

            server ? server->stop() : pty.closeMaster();
            if (eventLoop) {
                QEventLoop loop;
                QTimer::singleShot(200, &loop, &QEventLoop::quit);
                loop.exec();
                EXPECT_EQ(line->bytesAvailable(), 0); // what the monitor's timer asks
                EXPECT_FALSE(line->isOpen()) << "closed at the first look";
            }
            const Result<QByteArray> read = line->read(1, eventLoop ? 0 : 1000);
            ASSERT_FALSE(read.ok());
            // A port's own error report on the event loop closes it without "while receiving".
            EXPECT_EQ(QString(read.error().message).remove(QStringLiteral(" while receiving")),
                      QStringLiteral("The serial port %1 failed (%2); it was closed.")
                          .arg(line->deviceName(),
                               server ? "the connection to the serial server was closed or lost"
                                      : "the serial line was closed or the adapter unplugged"));
            EXPECT_FALSE(line->isOpen());
            EXPECT_FALSE(line->write("\xEA").ok());
        }
}

TEST(QtSerialLineFactory, UsbAdaptersFirstThenBuiltInPortsAndOnlyPortsOneToThree) {
    QList<FoundPort> ports{{QStringLiteral("/dev/ttyS10"), {}, false},
                           {QStringLiteral("/dev/ttyUSB1"), {}, true},
                           {QStringLiteral("/dev/ttyS2"), {}, false},
                           {QStringLiteral("/dev/ttyACM0"), {}, true},
                           {QStringLiteral("/dev/ttyUSB0"), {}, true}};
    sortSerialPorts(ports);
    QStringList order;
    for (const FoundPort& p : ports)
        order << p.device;
    EXPECT_EQ(order, (QStringList{"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS2",
                                  "/dev/ttyS10"}));

    QtSerialLineFactory factory;
    EXPECT_FALSE(factory.deviceForPort(0).ok());
    EXPECT_FALSE(factory.deviceForPort(4).ok());
}
