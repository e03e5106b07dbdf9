// The main window (full and compact) and the splash.
#include "shots.h"
#include "ui/frm_control_port_settings.h"
#include "ui/intro.h"

#include <QTimer>

namespace {

void shellShots(ondrel::shots::Shots& shots) {
    ondrel::ui::FrmMain& main = shots.mainWindow();
    shots.save(&main);

    // An 800 x 600 screen less the menu and title bars.
    main.applyWorkArea({800 * 15.0, 530 * 15.0});
    shots.save(&main, QStringLiteral("FrmMain-compact"));
    main.applyWorkArea({ondrel::ui::FrmMain::kClientWidth, ondrel::ui::FrmMain::kClientHeight});

    ondrel::CommSets& port = shots.state().editPort(0);
    port.BaudRate = 9600;
    port.TransmitFormat = 8;
    port.Parity = "NONE";
    port.StopBit = 1;
    port.prsentAs = 2;
    shots.save(main.showPortSettings(0));

    auto* intro = new ondrel::ui::Intro(nullptr);
    intro->Timer1()->stop();
    shots.save(intro);
    intro->close();
}

const bool registered = ondrel::shots::registerArea("shell", &shellShots);

} // namespace
