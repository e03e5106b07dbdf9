// The main window (full and compact) and the splash.
#include "shots.h"
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

    auto* intro = new ondrel::ui::Intro(nullptr);
    intro->Timer1()->stop();
    shots.save(intro);
    intro->close();
}

const bool registered = ondrel::shots::registerArea("shell", &shellShots);

} // namespace
