#include "ui/frm_main.h"
#include "ui/tools/frm_labels.h"

#include <QAction>

namespace ondrel::ui {
namespace {
// Shows the single instance of a tool window, making it first when needed.
template <class Window, class Make> void showSingle(QPointer<Window>& window, Make make) {
    if (!window)
        window = make();
    window->show();
    window->raise();
    window->activateWindow();
}
} // namespace

void FrmMain::connectToolWindows() {
    connect(mnuLabelLayout, &QAction::triggered, this,
            [this] { showSingle(frmLabels_, [this] { return new FrmLabels(this); }); });
}

} // namespace ondrel::ui
