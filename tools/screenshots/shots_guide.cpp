// The menus the user guide walks through, each opened as a user opens it.
#include "shots.h"
#include "ui/main/frm_about.h"

#include <QAction>
#include <QMenu>

namespace {

void showMenu(ondrel::shots::Shots& shots, QMenu* menu, const QString& name,
              double pixelRatio = 0) {
    menu->popup(shots.mainWindow().mapToGlobal(QPoint(20, 20)));
    shots.save(menu, name, pixelRatio);
    menu->hide();
}

void guideShots(ondrel::shots::Shots& shots) {
    ondrel::ui::FrmMain& main = shots.mainWindow();
    main.show();
    showMenu(shots, shots.menu(QStringLiteral("mnuFike")), QStringLiteral("menu-file"));
    showMenu(shots, shots.menu(QStringLiteral("mnuControlPorts")),
             QStringLiteral("menu-control-ports"));
    showMenu(shots, shots.menu(QStringLiteral("mnuProjector")), QStringLiteral("menu-projector"));
    showMenu(shots, shots.menu(QStringLiteral("mnuSelectModel")),
             QStringLiteral("menu-select-model"));
    showMenu(shots, shots.menu(QStringLiteral("Relays")), QStringLiteral("menu-relays"));
    shots.action(QStringLiteral("RL1_0"))
        ->trigger(); // Relay One of Button 1 pulses: the mark shows it
    showMenu(shots, shots.menu(QStringLiteral("RB_0")), QStringLiteral("menu-relays-button"));
    showMenu(shots, shots.menu(QStringLiteral("mnuPrgrm")), QStringLiteral("menu-program"));
    showMenu(shots, shots.menu(QStringLiteral("mnuDiag")), QStringLiteral("menu-diagnostics"));
    showMenu(shots, shots.menu(QStringLiteral("mnuHelp")), QStringLiteral("menu-help"));
    showMenu(shots, shots.menu(QStringLiteral("mnuHelp")), QStringLiteral("menu-help-200"), 2);
    shots.action(QStringLiteral("mnuAbout"))->trigger();
    auto* about = main.findChild<ondrel::ui::FrmAbout*>();
    shots.save(about);
    shots.save(about, QStringLiteral("frmAbout-200"), 2);
    about->close();
}

const bool registered = ondrel::shots::registerArea("guide", &guideShots);

} // namespace
