// The shut-off timer dialog, and the main window showing a timer.
#include "shots.h"
#include "tools/shutoff_timer.h"
#include "ui/settings/timer_dialog.h"

#include <QLineEdit>

namespace {

void filesShots(ondrel::shots::Shots& shots) {
    ondrel::ui::FrmMain& main = shots.mainWindow();
    auto* dialog = ondrel::ui::TimerDialog::showFor(shots.state(), &main);
    dialog->Text1()->setText(QStringLiteral("1"));
    dialog->Text2()->setText(QStringLiteral("30"));
    shots.save(dialog);
    dialog->close();

    ondrel::setShutOffTimer(shots.state(), 90);
    shots.save(&main, QStringLiteral("FrmMain-timer"));
}

const bool registered = ondrel::shots::registerArea("files", &filesShots);

} // namespace
