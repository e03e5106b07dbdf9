// The installer's choice of serial devices for the ports 1 to 3, and what a refused port says.
#include "platform/qt_serial_line.h"
#include "platform/serial_permission.h"
#include "serial/port_assignment.h"
#include "support/port_env.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {

SerialDevice adapter(const QString& device, const QString& serial) {
    return {device, QStringLiteral("USB serial"), true, QStringLiteral("FTDI"), serial};
}
const SerialDevice kBuiltIn{QStringLiteral("/dev/ttyS0"), {}, false};

} // namespace

TEST(PortAssignment, AnAdapterIsFollowedByItsSerialNumberAcrossDeviceNames) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    PortAssignment chosen;
    chosen.assign(1, adapter(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("A12")));
    chosen.assign(3, kBuiltIn);
    ASSERT_TRUE(chosen.save(file));
    const PortAssignment a = PortAssignment::load(file);

    const struct {
        QList<SerialDevice> present;
        int port;
        QString device; // empty: an error naming `why`
        QString why;
    } rows[] = {
        // Replugged: the adapter came back as ttyUSB1, another one took ttyUSB0.
        {{adapter("/dev/ttyUSB0", "B7"), adapter("/dev/ttyUSB1", "A12"), kBuiltIn},
         1,
         "/dev/ttyUSB1",
         {}},
        {{adapter("/dev/ttyUSB0", "B7"), kBuiltIn}, 1, {}, "A12"}, // unplugged: said, not guessed
        {{adapter("/dev/ttyUSB0", "B7")}, 3, "/dev/ttyS0", {}},    // a built-in port by its name
        {{adapter("/dev/ttyUSB0", "B7"), kBuiltIn}, 2, "/dev/ttyS0", {}}, // no choice: the 2nd
        {{}, 2, {}, "no device"},
    };
    for (const auto& row : rows) {
        const Result<QString> got = a.deviceFor(row.port, row.present);
        if (row.device.isEmpty()) {
            ASSERT_FALSE(got) << row.port;
            EXPECT_TRUE(got.error().message.contains(row.why)) << got.error().message.toStdString();
        } else {
            ASSERT_TRUE(got) << got.error().message.toStdString();
            EXPECT_EQ(got.value(), row.device);
        }
    }
}

TEST(PortAssignment, TheFactoryUsesTheChoiceButTheEnvironmentWins) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    PortAssignment chosen;
    chosen.assign(2, {QStringLiteral("/dev/ttyS7"), {}, false});
    ASSERT_TRUE(chosen.save(file));
    test::PortMapping env(QStringLiteral("/dev/pts/91"));
    qunsetenv("ONDREL_PORT2");
    const QtSerialLineFactory factory(file);
    EXPECT_EQ(factory.deviceForPort(2).value(), QStringLiteral("/dev/ttyS7"));
    EXPECT_EQ(factory.deviceForPort(1).value(), QStringLiteral("/dev/pts/91"));
    env.set(2, QStringLiteral("/dev/pts/92"));
    EXPECT_EQ(factory.deviceForPort(2).value(), QStringLiteral("/dev/pts/92"));
}

TEST(PortAssignment, APortWithoutRightsSaysHowToGetThem) {
    const QString text = permissionDeniedMessage(QStringLiteral("/dev/ttyUSB0"), "dialout");
    for (const char* part : {"/dev/ttyUSB0", "lacks the right", "Debian and Ubuntu",
                             "group \"dialout\"", "log out and log in again"})
        EXPECT_TRUE(text.contains(QLatin1String(part))) << part;
    // A device the user may open, refused all the same, is held by another program.
    QTemporaryDir dir;
    EXPECT_TRUE(permissionFailureMessage(dir.path(), QStringLiteral("locked"))
                    .contains(QStringLiteral("in use by another program")));
}
