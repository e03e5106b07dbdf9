#include "platform/qt_serial_line.h"
#include "support/pty_pair.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::test::PtyPair;

namespace {
const SerialSettings kLoader{19200, 'N', 8, 1};
}

TEST(SerialSettingsText, ParsesAndWritesTheToolsSettings) {
    EXPECT_EQ(SerialSettings::parse(QStringLiteral("19200,N,8,1")).value(), kLoader);
    EXPECT_EQ(SerialSettings::parse(QStringLiteral("9600,e,8,1")).value().parity, 'E');
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

TEST(QtSerialLine, EveryByteValuePassesBothWaysAndReadWaitsAtMostItsTimeOut) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QtSerialLine line(pty.path());
    ASSERT_TRUE(line.open(kLoader).ok());
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    ASSERT_TRUE(line.write(all).ok());
    ASSERT_TRUE(line.waitForWritten(1000).ok());
    EXPECT_EQ(pty.receive(256, 2000), all);

    pty.send(all);
    QByteArray got;
    while (got.size() < 256) {
        auto part = line.read(1, 1000); // one byte at a time
        ASSERT_TRUE(part.ok() && part.value().size() == 1);
        got += part.value();
    }
    EXPECT_EQ(got, all);

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(line.read(1, 150).value(), QByteArray());
    EXPECT_GE(timer.elapsed(), 140);
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(QtSerialLine, AHungUpLineFailsReadablyAndIsClosedWithOrWithoutAnEventLoop) {
    for (bool eventLoop : {false, true}) {
        PtyPair pty;
        ASSERT_TRUE(pty.ok());
        QtSerialLine line(pty.path());
        ASSERT_TRUE(line.open(kLoader).ok());
        pty.closeMaster();
        if (eventLoop) {
            QEventLoop loop;
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
            EXPECT_FALSE(line.isOpen()) << "closed at the first error";
        }
        auto read = line.read(1, eventLoop ? 0 : 500);
        ASSERT_FALSE(read.ok());
        EXPECT_TRUE(
            read.error().message.contains("the serial line was closed or the adapter unplugged"))
            << read.error().message.toStdString();
        EXPECT_FALSE(line.isOpen());
        EXPECT_FALSE(line.write(QByteArray(1, char(0xEA))).ok());
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
