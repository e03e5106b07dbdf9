// The installer's choice of serial devices for the ports 1 to 3, and what a refused port says.
#include "platform/qt_serial_line.h"
#include "platform/serial_permission.h"
#include "serial/port_assignment.h"
#include "support/port_env.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {
SerialDevice adapter(const char* device, const char* serial) {
    return {device, "USB serial", true, "FTDI", serial};
}
const SerialDevice kBuiltIn{"/dev/ttyS0", {}, false};
} // namespace

TEST(PortAssignment, AnAdapterIsFollowedByItsSerialNumberAcrossDeviceNames) {
    QTemporaryDir dir;
    PortAssignment chosen;
    chosen.assign(1, adapter("/dev/ttyUSB0", "A12"));
    chosen.assign(3, kBuiltIn);
    ASSERT_TRUE(chosen.save(dir.filePath("settings.ini")));
    const PortAssignment a = PortAssignment::load(dir.filePath("settings.ini"));
    const SerialDevice other = adapter("/dev/ttyUSB0", "B7");
    const struct {
        QList<SerialDevice> present;
        int port;
        QString expected; // the device, or "!" and the error
    } rows[] = {
        {{other, adapter("/dev/ttyUSB1", "A12"), kBuiltIn}, 1, "/dev/ttyUSB1"}, // replugged
        {{other, kBuiltIn},
         1, // unplugged: said, not guessed
         "!Port 1 is the USB serial adapter with serial number A12 (last seen as /dev/ttyUSB0), "
         "which is not plugged in. Plug it in, or choose another device under Control Ports > PC "
         "Serial Ports."},
        {{other}, 3, "/dev/ttyS0"},           // a built-in port by its name
        {{other, kBuiltIn}, 2, "/dev/ttyS0"}, // no choice: the second device found
        {{},
         2,
         "!Port 2 reaches no device: 0 serial device(s) found. Choose one under Control Ports > PC "
         "Serial Ports, or set ONDREL_PORT2 to the device to use."},
        {{kBuiltIn}, 0, "!There is no port 0; the ports are 1 to 3."},
        {{kBuiltIn}, 4, "!There is no port 4; the ports are 1 to 3."},
    };
    for (const auto& row : rows) {
        const Result<QString> got = a.deviceFor(row.port, row.present);
        EXPECT_EQ(got ? got.value() : "!" + got.error().message, row.expected);
    }
}

TEST(PortAssignment, TheFactoryUsesTheChoiceButTheEnvironmentWins) {
    QTemporaryDir dir;
    PortAssignment chosen;
    chosen.assign(2, {"/dev/ttyS7", {}, false});
    ASSERT_TRUE(chosen.save(dir.filePath("settings.ini")));
    test::PortMapping env("/dev/pts/91");
    qunsetenv("ONDREL_PORT2");
    const QtSerialLineFactory factory(dir.filePath("settings.ini"));
    EXPECT_EQ(factory.deviceForPort(2).value(), "/dev/ttyS7");
    EXPECT_EQ(factory.deviceForPort(1).value(), "/dev/pts/91");
    env.set(2, "/dev/pts/92");
    EXPECT_EQ(factory.deviceForPort(2).value(), "/dev/pts/92");
}

TEST(PortAssignment, APortWithoutRightsSaysHowToGetThem) {
    const QString text = permissionDeniedMessage("/dev/ttyUSB0", "dialout");
    for (const char* part : {"/dev/ttyUSB0", "lacks the right", "Debian and Ubuntu",
                             "group \"dialout\"", "log out and log in again"})
        EXPECT_TRUE(text.contains(part)) << part;
    // A device the user may open, refused all the same, is held by another program.
    QTemporaryDir dir;
    EXPECT_TRUE(
        permissionFailureMessage(dir.path(), "locked").contains("in use by another program"));
}
