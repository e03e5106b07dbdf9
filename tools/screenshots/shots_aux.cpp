// The label template with its dialog, the Light Setup window, the incoming data monitor and the
// control simulator (their ports are pseudo-terminals, never a port of this machine).
#include "shots.h"
#include "shots_serial.h"
#include "ui/tools/diagnostic_in.h"
#include "ui/tools/dlg_new_label.h"
#include "ui/tools/frm_labels.h"
#include "ui/tools/frm_lights.h"
#include "ui/tools/simulator.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

namespace {

using ondrel::shots::settle;

void serialToolShots(ondrel::shots::Shots& shots) {
    using namespace ondrel;
    using namespace ondrel::ui;
    shots::FakeSerialPorts ports;

    ProjectState& state = shots.state();
    state.updatePort(0, [](CommSets& port) {
        port.BaudRate = Value(9600);
        port.Parity = Value("NONE");
        port.prsentAs = Value(2);
    });
    state.updateButton(0, [&](ButtonConfig& record) { record.Button_type = Value(TypeOn); });
    state.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString1(3, ByteList{2, 80, 3});
    });
    state.updateButton(1, [&](ButtonConfig& record) { record.Button_type = Value(TypeOff); });
    for (int i = 2; i < 6; ++i)
        state.updateButton(i,
                           [&](ButtonConfig& record) { record.Button_type = Value(TypeSource); });
    state.updateButton(6, [&](ButtonConfig& record) { record.Button_type = Value(TypeToggle); });
    state.updateButton(3, [&](ButtonConfig& record) {
        record.setCommandString1(4, ByteList{2, 73, 49, 3});
    });

    shots.action(QStringLiteral("mnuIncmDta"))->trigger();
    auto* monitor = shots.mainWindow().findChild<Diagnostic_in*>();
    monitor->findChild<QRadioButton*>(QStringLiteral("PresntInas_1"))->click();
    ports[0].send(QByteArray("\x06\x0D\x02OK\x03", 6));
    settle(300);
    shots.save(monitor);
    monitor->close();

    shots.action(QStringLiteral("mnuSim"))->trigger();
    auto* simulator = shots.mainWindow().findChild<Simulator*>();
    simulator->findChild<QPushButton*>(QStringLiteral("Command1_0"))->click();
    simulator->findChild<QPushButton*>(QStringLiteral("Command1_3"))->click();
    ports[0].send(QByteArray("\x06\x0D", 2));
    settle(300);
    shots.save(simulator);
    simulator->close();
    for (int i = 1; i <= 3; ++i)
        qunsetenv(QByteArray("ONDREL_PORT") + QByteArray::number(i));
}

void auxShots(ondrel::shots::Shots& shots) {
    using namespace ondrel::ui;
    shots.action(QStringLiteral("mnuLabelLayout"))->trigger();
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

    serialToolShots(shots);
}

const bool registered = ondrel::shots::registerArea("aux", &auxShots);

} // namespace
