// The monitor's burst view (time stamps, hexadecimal and text, names) and the Check Panel window
// part way through a check of both control ports. Ports are pseudo-terminals.
#include "platform/qt_serial_line.h"
#include "shots.h"
#include "shots_serial.h"
#include "ui/tools/diagnostic_in.h"
#include "ui/tools/frm_check_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

using ondrel::shots::settle;

// Sends each string as a burst of its own.
void sendBursts(const ondrel::test::PtyPair& pty, const std::vector<QByteArray>& bursts) {
    for (const QByteArray& b : bursts) {
        pty.send(b);
        settle(160);
    }
}

void checkShots(ondrel::shots::Shots& shots) {
    using namespace ondrel;
    using namespace ondrel::ui;
    shots::FakeSerialPorts ports;
    ProjectState& state = shots.state();
    const char* names[] = {"On",      "Off",       "Computer_1",  "Computer_2",   "Composite_Video",
                           "S_Video", "Volume_Up", "Volume_Down", "Black_Screen", "Auto_Image"};
    const int types[] = {0, 1, 2, 2, 2, 2, 3, 3, 4, 3};
    for (int i = 0; i < kButtonCount; ++i) {
        ButtonConfig b = state.button(i);
        b.Button_type = types[i];
        b.setCommandString1(0, ByteList::fromBytes(QByteArray("\x02") + names[i] + "\r"));
        b.setCommandString2(0, ByteList{0xA5, 0x10 + i, 0x03});
        state.setButton(i, b);
        state.setCommandText(0, i, QString::fromLatin1(names[i]));
        state.setCommandText(1, i, i == 9 ? QStringLiteral("Custom") : QString());
    }
    state.updateButton(8, [&](ButtonConfig& record) {
        record.setCommandString1_2(0, ByteList::fromBytes("\x02Unblank\r"));
    });
    state.updatePort(0, [&](CommSets& settings) { settings.BaudRate = 9600; });
    state.updatePort(1, [&](CommSets& settings) { settings.BaudRate = 19200; });

    shots.action(QStringLiteral("mnuIncmDta"))->trigger();
    auto* monitor = shots.mainWindow().findChild<Diagnostic_in*>();
    monitor->findChild<QCheckBox*>(QStringLiteral("chkTimeStamps"))->click();
    monitor->findChild<QCheckBox*>(QStringLiteral("chkHexAscii"))->click();
    sendBursts(ports[0], {QByteArray("\x02On\r"), QByteArray("\x02Volume_Up\r"),
                          QByteArray("\xA5\x19\x03"), QByteArray("PWR?\r:"),
                          QByteArray("\x02"
                                     "Computer_1\r\x02"
                                     "Computer_2\r\x06\x15")});
    shots.save(monitor, QStringLiteral("Diagnostic_in_bursts"));
    monitor->resize(monitor->minimumSizeHint());
    shots.save(monitor, QStringLiteral("Diagnostic_in_bursts_small"));
    monitor->close();
    settle(50);

    static const QtSerialLineFactory lines;
    auto* check = new FrmCheckPanel(state, lines, &shots.mainWindow());
    check->choosePort(0, 1);
    check->choosePort(1, 2);
    std::vector<QByteArray> one, two;
    for (int i = 0; i < kButtonCount; ++i)
        if (i != 4) {
            one.push_back(QByteArray("\x02") + names[i] + "\r");
            two.push_back(QByteArray("\xA5", 1) + char(0x10 + i) + "\x03");
        }
    one.push_back("\x02Unblank\r");
    one.push_back("\x02"
                  "Compusite_Video\r");
    sendBursts(ports[0], one);
    sendBursts(ports[1], two);
    shots.save(check);
    check->resize(check->minimumSizeHint());
    shots.save(check, QStringLiteral("frmCheckPanel_small"));
    check->close();
    for (int i = 1; i <= 3; ++i)
        qunsetenv(QByteArray("ONDREL_PORT") + QByteArray::number(i));
}

const bool registered = ondrel::shots::registerArea("check", &checkShots);

} // namespace
