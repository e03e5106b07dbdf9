// The model selection window, and the main window after models were chosen for both devices.
#include "shots.h"
#include "ui/catalogue/frm_projector_select.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

namespace {

using ondrel::ui::frmProjectorSelect;

frmProjectorSelect* openSelection(ondrel::ui::FrmMain& main, int device, const QString& maker) {
    main.findChild<QAction*>(QStringLiteral("mnuControl_%1").arg(device))->trigger();
    frmProjectorSelect* window = main.projectorSelect();
    if (!window)
        return nullptr;
    QComboBox* makers = window->Combo1();
    const int index = makers->findText(maker);
    makers->setCurrentIndex(index);
    emit makers->activated(index);
    return window;
}

void select(ondrel::ui::FrmMain& main, int device, const QString& maker, const QString& model) {
    if (frmProjectorSelect* window = openSelection(main, device, maker)) {
        window->Combo2()->setCurrentIndex(window->Combo2()->findText(model));
        window->Command1()->click();
    }
}

void catalogueShots(ondrel::shots::Shots& shots) {
    ondrel::ui::FrmMain& main = shots.mainWindow();
    main.show();
    if (frmProjectorSelect* window = openSelection(main, 0, QStringLiteral("Epson"))) {
        shots.save(window);
        window->close();
    }

    select(main, 0, QStringLiteral("Epson"), QStringLiteral("EB-85"));
    shots.action(QStringLiteral("mnuEnable2"))->trigger();
    select(main, 1, QStringLiteral("Sony"), QStringLiteral("VPL-HW15"));
    shots.save(&main, QStringLiteral("FrmMain-two-models"));
}

const bool registered = ondrel::shots::registerArea("catalogue", &catalogueShots);

} // namespace
