// The PC serial ports window, over a made-up set of devices (the real ones differ per machine),
// and the message of a first upload without the panel firmware.
#include "shots.h"
#include "ui/main/panel_programming.h"
#include "ui/settings/frm_serial_ports.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

void portsShots(ondrel::shots::Shots& shots) {
    using ondrel::SerialDevice;
    QTemporaryDir dir;
    const auto devices = [] {
        return QList<SerialDevice>{
            {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("USB serial, FT232R USB UART"), true,
             QStringLiteral("FTDI"), QStringLiteral("A10K3Q7Z")},
            {QStringLiteral("/dev/ttyUSB1"), QStringLiteral("USB serial, USB-Serial Controller"),
             true, QStringLiteral("Prolific Technology Inc."), QString()},
            {QStringLiteral("/dev/ttyS0"), QString(), false}};
    };
    ondrel::PortAssignment chosen;
    chosen.assign(1, devices().at(0));
    chosen.assign(2, {QStringLiteral("rfc2217://rack-7:4001"), {}, false}); // a serial server
    (void)chosen.save(dir.filePath(QStringLiteral("settings.ini")));
    auto* window = new ondrel::ui::FrmSerialPorts(
        devices, dir.filePath(QStringLiteral("settings.ini")), &shots.mainWindow());
    shots.save(window);
    window->close();

    // A port set from the environment says so under its list; at 200 % on a 1366 x 768 screen
    // the window has 683 x 384 pixels and the notes must still be whole.
    const QByteArray port2 = qgetenv("ONDREL_PORT2");
    qputenv("ONDREL_PORT2", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3Q7Z-if00-port0");
    window = new ondrel::ui::FrmSerialPorts(devices, dir.filePath(QStringLiteral("settings.ini")),
                                            &shots.mainWindow());
    window->show();
    window->resize(window->size().boundedTo(QSize(683 - 8, 384 - 34)));
    shots.save(window, QStringLiteral("frmSerialPorts-1366x768-200"), 2);
    window->close();
    port2.isNull() ? qunsetenv("ONDREL_PORT2") : qputenv("ONDREL_PORT2", port2);

    // The first upload on a machine without the firmware file.
    ondrel::ui::PanelProgramming& programming = shots.mainWindow().programming();
    // Folders as on an installed system (neither holds the file).
    programming.programDir = QStringLiteral("/usr/lib/ondrel");
    const QByteArray home = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/home/installer/.local/share");
    programming.UploadConfiguration();
    // Saving runs the event loop, which may delete other top-level widgets meanwhile (the closed
    // window's list popups): look the box up first.
    QWidget* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QStringLiteral("firmwareMissing"))
            box = w;
    if (box) {
        shots.save(box);
        box->close();
    }
    qputenv("XDG_DATA_HOME", home);
}

const bool registered = ondrel::shots::registerArea("ports", &portsShots);

} // namespace
