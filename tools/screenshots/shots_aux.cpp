// The label template with its dialog, and the Light Setup window.
#include "shots.h"
#include "ui/tools/dlg_new_label.h"
#include "ui/tools/frm_labels.h"
#include "ui/tools/frm_lights.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

namespace {

void auxShots(ondrel::shots::Shots& shots) {
    using namespace ondrel::ui;
    shots.mainWindow().mnuLabelLayout->trigger();
    auto* labels = shots.mainWindow().findChild<FrmLabels*>(QStringLiteral("frmLabels"));
    shots.save(labels);
    auto* label = labels->findChild<QLabel*>(QStringLiteral("Label1_3"));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    shots.save(labels->findChild<DlgNewLabel*>(QStringLiteral("dlgNewLabel")));
    labels->close();

    // No menu opens it; it is shown here so that it is seen at all.
    auto* lights = new FrmLights(&shots.mainWindow());
    shots.save(lights);
    lights->close();
}

const bool registered = ondrel::shots::registerArea("aux", &auxShots);

} // namespace
