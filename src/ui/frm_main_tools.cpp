#include "platform/qt_serial_line.h"
#include "ui/frm_main.h"
#include "ui/tools/diagnostic_in.h"
#include "ui/tools/frm_labels.h"
#include "ui/tools/simulator.h"

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

const SerialLineFactory& FrmMain::serialLines() {
    static const QtSerialLineFactory lines;
    return lines;
}

void FrmMain::connectToolWindows() {
    connect(mnuLabelLayout, &QAction::triggered, this,
            [this] { showSingle(frmLabels_, [this] { return new FrmLabels(this); }); });
    connect(mnuIncmDta, &QAction::triggered, this, [this] {
        showSingle(monitor_, [this] { return new Diagnostic_in(serialLines(), this); });
    });
    connect(mnuSim, &QAction::triggered, this, [this] {
        showSingle(simulator_, [this] { return new Simulator(state_, serialLines(), this); });
    });
}

void FrmMain::releaseMonitorPort() {
    if (monitor_)
        monitor_->releasePort();
}

} // namespace ondrel::ui
