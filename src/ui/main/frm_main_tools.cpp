#include "app_paths.h"
#include "catalogue/catalogue.h"
#include "platform/qt_serial_line.h"
#include "ui/main/frm_about.h"
#include "ui/main/frm_main.h"
#include "ui/settings/frm_serial_ports.h"
#include "ui/tools/diagnostic_in.h"
#include "ui/tools/frm_check_panel.h"
#include "ui/tools/frm_labels.h"
#include "ui/tools/frm_projector_test.h"
#include "ui/tools/simulator.h"

#include <QAction>
#include <QMenu>

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
        showSingle(monitor_, [this] { return new Diagnostic_in(serialLines(), this, &state_); });
    });
    QAction* mnuCheckPanel = mnuDiag->addAction(tr("&Check Panel..."));
    mnuCheckPanel->setObjectName(QStringLiteral("mnuCheckPanel"));
    connect(mnuCheckPanel, &QAction::triggered, this, [this] {
        QPointer<FrmCheckPanel> window = findChild<FrmCheckPanel*>();
        showSingle(window, [this] { return new FrmCheckPanel(state_, serialLines(), this); });
    });
    QAction* mnuProjectorTest = mnuDiag->addAction(tr("Projector Test..."));
    mnuProjectorTest->setObjectName(QStringLiteral("mnuProjectorTest"));
    connect(mnuProjectorTest, &QAction::triggered, this, [this] {
        QPointer<FrmProjectorTest> window = findChild<FrmProjectorTest*>();
        showSingle(window, [this] {
            return new FrmProjectorTest(catalogue(), serialLines(), state_.device(0).manufacturer,
                                        state_.device(0).model, this);
        });
    });
    connect(mnuSerialPorts, &QAction::triggered, this, [this] {
        showSingle(serialPorts_, [this]() -> QWidget* {
            return new FrmSerialPorts(&findSerialPorts, userSettingsPath(), this);
        });
    });
    connect(mnuSim, &QAction::triggered, this, [this] {
        showSingle(simulator_, [this] { return new Simulator(state_, serialLines(), this); });
    });
    connect(mnuUserGuide, &QAction::triggered, this,
            [this] { openUserGuide(this, userGuidePath()); });
    connect(mnuAbout, &QAction::triggered, this, [this] {
        QPointer<FrmAbout> window = findChild<FrmAbout*>();
        showSingle(window, [this] { return new FrmAbout(this); });
    });
}

void FrmMain::releaseMonitorPort() {
    if (monitor_)
        monitor_->releasePort();
    if (auto* check = findChild<FrmCheckPanel*>()) // its ports too, before programming
        check->releasePorts();
    if (auto* projector = findChild<FrmProjectorTest*>())
        projector->releasePort();
}

} // namespace ondrel::ui
