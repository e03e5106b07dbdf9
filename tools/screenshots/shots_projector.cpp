// The Projector Test window against the virtual projector: decoded answers, then the checklist
// of a projector set to another baud rate and the try that finds it. At the size it takes on a
// 1366 x 768 screen and as on that screen at 200 %.
#include "../../tests/support/pty_program.h"
#include "catalogue/catalogue.h"
#include "platform/qt_serial_line.h"
#include "shots.h"
#include "shots_serial.h"
#include "ui/tools/frm_projector_test.h"

#include <QComboBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {

using ondrel::shots::settle;

// Lets the window take in answers until `done` or `ms` have passed.
template <class Done> void settleUntil(Done done, int ms) {
    for (int waited = 0; waited < ms && !done(); waited += 50)
        settle(50);
}

void projectorShots(ondrel::shots::Shots& shots) {
    using namespace ondrel;
    const QString program = QCoreApplication::applicationDirPath() + "/ondrel-projector";
    test::PtyProgram projector(program, {"--model", "Epson/EB-85", "--on"});
    test::PtyProgram wrongBaud(program, {"--model", "Epson/EB-85", "--wrong-baud"});
    if (!projector.ok() || !wrongBaud.ok())
        return;
    qputenv("ONDREL_PORT1", projector.path().toLocal8Bit());
    qputenv("ONDREL_PORT2", wrongBaud.path().toLocal8Bit());
    static const QtSerialLineFactory lines;
    auto* window = new ui::FrmProjectorTest(shots.mainWindow().catalogue(), lines, "Epson", "EB-85",
                                            &shots.mainWindow());
    auto* list = window->findChild<QTreeWidget*>("lstExchanges");
    auto* query = window->findChild<QComboBox*>("cmbQuery");
    auto ask = [&](const QString& name) {
        const int rows = list->topLevelItemCount();
        query->setCurrentText(name);
        window->sendQuery();
        settleUntil([&] { return list->topLevelItemCount() > rows; }, 3000);
    };
    window->choosePort(1);
    settle(100);
    for (const char* name : {"power", "input", "lamp", "error"})
        ask(name);
    auto* command = window->findChild<QComboBox*>("cmbCommand");
    command->setCurrentText("Computer_2");
    window->sendCommand();
    settle(300);
    ask("input");
    auto bothSizes = [&](const QString& name) {
        window->resize(860, 560); // as it opens on a 1366 x 768 screen
        shots.save(window, name + "-1366x768");
        window->resize(660, 360); // a 1366 x 768 screen at 200 %
        shots.save(window, name + "-200", 2);
    };
    bothSizes("frmProjectorTest");

    list->clear();
    window->choosePort(2);
    settle(100);
    ask("power"); // garbage after the time-out
    settleUntil([&] { return window->findChild<QTextBrowser*>("txtChecklist")->isVisible(); },
                7000);
    window->tryOtherBaudRates();
    settleUntil([&] { return !window->busy(); }, 10000);
    bothSizes("frmProjectorTest-checklist");
    window->close();
}

const bool registered = ondrel::shots::registerArea("projector", &projectorShots);

} // namespace
