#include "ui/tools/frm_lights.h"

namespace ondrel::ui {

FrmLights::FrmLights(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmLights"));
    setWindowTitle(QStringLiteral("Light Setup"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(320, 240);
}

} // namespace ondrel::ui
