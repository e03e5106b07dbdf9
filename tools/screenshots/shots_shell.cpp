// The main window (full and compact) and the splash.
#include "shots.h"
#include "ui/buttons/frm_config_buttons.h"
#include "ui/main/intro.h"
#include "ui/settings/frm_control_port_settings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

namespace {

void shellShots(ondrel::shots::Shots& shots) {
    ondrel::ui::FrmMain& main = shots.mainWindow();
    shots.save(&main);

    // Common screens, at their scale factors: the window is laid out for the work area in
    // device-independent pixels and drawn at the screen's pixel ratio.
    const struct {
        int width, height, percent;
    } screens[] = {{800, 600, 100}, {1366, 768, 100}, {1920, 1080, 200}};
    for (const auto& s : screens) {
        main.applyWindowWorkArea({s.width * 100 / s.percent, s.height * 100 / s.percent},
                                 s.percent / 100.0);
        shots.save(&main,
                   QStringLiteral("FrmMain-%1x%2-%3").arg(s.width).arg(s.height).arg(s.percent),
                   s.percent / 100.0);
    }
    main.applyWorkArea({ondrel::ui::FrmMain::kClientWidth, ondrel::ui::FrmMain::kClientHeight});

    ondrel::CommSets port = shots.state().port(0);
    port.BaudRate = 9600;
    port.TransmitFormat = 8;
    port.Parity = "NONE";
    port.StopBit = 1;
    port.prsentAs = 2;
    shots.state().setPort(0, port);
    shots.save(main.showPortSettings(0));

    auto* intro = new ondrel::ui::Intro(nullptr);
    intro->Timer1()->stop();
    shots.save(intro);
    intro->close();
}

void buttonConfigurationShots(ondrel::shots::Shots& shots) {
    using namespace ondrel;
    ButtonConfig single = shots.state().button(0);
    single.setCommandString1(3, ByteList{2, 80, 3});
    single.setCommandString2(3, ByteList{2, 13, 3});
    shots.state().setButton(0, single);
    ButtonConfig dual = shots.state().button(1);
    dual.setDualFunction();
    dual.setCommandString1(3, ByteList{2, 80, 3});
    dual.setCommandString1_2(3, ByteList{2, 81, 3});
    dual.Button_type = TypeToggle;
    dual.setRelayInfo(1, RelayMomentary);
    shots.state().setButton(1, dual);

    ui::FrmConfigButtons* dialog = shots.mainWindow().openButtonConfiguration(0);
    shots.save(dialog);
    shots.mainWindow().openButtonConfiguration(1);
    shots.save(dialog, QStringLiteral("FrmConfigButtons-dual"));

    dialog->openCountDialog(0, CommandPort::One);
    dialog->countDialog()->ByteNumber()->setText(QStringLiteral("12"));
    shots.save(dialog->countDialog());
    ui::FrmStringEnter* entry = dialog->openStringEntry(12);
    entry->StrtChr()->setCurrentIndex(1);
    emit entry->StrtChr()->activated(1);
    entry->EndChr()->setCurrentIndex(1);
    emit entry->EndChr()->activated(1);
    entry->Str_Byte(1)->setText(QStringLiteral("P"));
    entry->Str_Byte(2)->setText(QStringLiteral("4F"));
    shots.save(entry);

    // 64 fields on a 1366 x 768 screen, and on the same screen at 200 % (683 x 384), where the
    // fields scroll above OK and Cancel.
    entry = dialog->openStringEntry(64);
    for (int i = 0; i < 64; ++i)
        entry->Str_Byte(i)->setText(QString::number(0x30 + i % 10, 16).toUpper());
    for (const auto& [height, percent] : {std::pair{768, 100}, {384, 200}}) {
        entry->fitInto(height - 34 - 40); // less the title bar and a task bar
        shots.save(entry, QStringLiteral("FrmStringEnter-64-1366x768-%1").arg(percent),
                   percent / 100.0);
    }
}

const bool registered = ondrel::shots::registerArea("shell", &shellShots);
const bool registeredButtons = ondrel::shots::registerArea("buttons", &buttonConfigurationShots);

} // namespace
