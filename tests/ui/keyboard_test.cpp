// Every window by keyboard: Esc closes the tool windows, Enter presses each dialog's default
// button, Tab in the button window goes the way the screen reads, the tool's own menu items have
// mnemonics of their own, and a serial device can be typed in "PC Serial Ports".
#include "support/port_env.h"
#include "support/test_support.h"
#include "support/ui_helpers.h"
#include "ui/buttons/frm_config_buttons.h"
#include "ui/main/frm_main.h"
#include "ui/settings/frm_serial_ports.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>

using namespace ondrel;
using ondrel::ui::FrmMain;

// Each window is one instance however often it is opened; Esc closes a tool window, Enter in a
// dialog presses its default button.
TEST(Keyboard, EscClosesEachToolWindowEnterPressesEachDialogsDefaultButton) {
    ProjectState state;
    FrmMain main(state);
    main.useCatalogue(test::binDir() + "/Proj.qdb");
    main.show();
    test::PortMapping ports(QStringLiteral("/dev/ondrel-none-1"));
    test::MessageBoxes boxes; // ports that do not open, empty forms: they say so
    for (const auto& [item, name, key] :
         {std::tuple{"mnuCheckPanel", "frmCheckPanel", Qt::Key_Escape},
          {"mnuIncmDta", "Diagnostic_in", Qt::Key_Escape},
          {"mnuHistory", "frmHistory", Qt::Key_Escape},
          {"mnuLabelLayout", "frmLabels", Qt::Key_Escape},
          {"mnuSim", "Simulator", Qt::Key_Escape},
          {"mnuControl_0", "frmProjectorSelect", Qt::Key_Return},
          {"", "FrmConfigButtons", Qt::Key_Return},
          {"mnuPort_0", "frmControlPortSettings", Qt::Key_Return},
          {"mnuSetupTimer", "timerDialog", Qt::Key_Return},
          {"mnuUserModels", "frmUserModels", Qt::Key_Return},
          {"mnuSerialPorts", "frmSerialPorts", Qt::Key_Return}}) {
        for (int twice = 0; twice < 2; ++twice)
            *item ? main.findChild<QAction*>(item)->trigger()
                  : void(main.openButtonConfiguration(0));
        QPointer<QWidget> window = test::openWindow(&main, name);
        ASSERT_FALSE(window.isNull()) << name;
        EXPECT_EQ(main.findChildren<QWidget*>(name).size(), 1) << name;
        boxes.seen(); // the installer answers what the window said first
        QApplication::setActiveWindow(window);
        int pressed = 0;
        for (QPushButton* button : window->findChildren<QPushButton*>())
            if (button->isDefault())
                QObject::connect(button, &QPushButton::clicked, [&] { ++pressed; });
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window.data(), key);
        if (key == Qt::Key_Escape)
            EXPECT_TRUE(window.isNull() || !window->isVisible()) << name;
        else
            EXPECT_EQ(pressed, 1) << name;
        if (window && window->isVisible())
            window->close();
    }
}

// A record never configured: single use (the secondary function is off) and no option chosen
// yet, so Tab stops at the first option of each group.
TEST(Keyboard, TabInTheButtonWindowFollowsTheScreen) {
    ProjectState state;
    FrmMain main(state);
    ui::FrmConfigButtons* dialog = main.openButtonConfiguration(2);
    QApplication::setActiveWindow(dialog);
    dialog->findChild<QWidget*>("TxtPort1_0")->setFocus();
    QStringList stops{QApplication::focusWidget()->objectName()};
    while (stops.size() < 20 && stops.last() != "BtnFinalize") {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        stops << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(stops.join(' '), "TxtPort1_0 BtnCnfgOne_0 BtnEditOne_0 TxtPort2_0 BtnCnfgTwo_0 "
                               "BtnEditTwo_0 OptRelay1_0 OptRelay2_0 ButtonType_0 chkClrwSrce "
                               "Repeating SngUse BtnFinalize");
}

TEST(Keyboard, TheToolsOwnMenuItemsHaveMnemonicsThatDoNotClash) {
    ProjectState state;
    FrmMain main(state);
    QStringList own{test::menu(main, "mnuRecent")->title()};
    for (const char* item : {"mnuRoomSheet", "mnuSerialPorts", "mnuUserModels", "mnuManyRooms",
                             "mnuHistory", "mnuCheckPanel"})
        own << main.findChild<QAction*>(item)->text();
    for (const QString& text : own)
        EXPECT_FALSE(QKeySequence::mnemonic(text).isEmpty()) << qPrintable(text);
    for (QMenu* menu : main.findChildren<QMenu*>()) { // no two items of a menu share a letter
        QStringList letters;
        for (QAction* a : menu->actions())
            if (const QString key = QKeySequence::mnemonic(a->text()).toString(); !key.isEmpty())
                letters << key;
        EXPECT_EQ(letters.size(), QSet<QString>(letters.begin(), letters.end()).size())
            << qPrintable(menu->title() + ": " + letters.join(' '));
    }
}

// A device typed in is kept and shown again as typed, the forms the serial layer is growing
// (network addresses) included; a listed device typed by name keeps its serial number.
TEST(SerialPortsWindow, ADeviceCanBeTypedForAPort) {
    QTemporaryDir dir;
    const QString settings = dir.filePath("settings.ini");
    const QList<SerialDevice> present{{"/dev/ttyUSB0", "USB serial", true, "FTDI", "A12"}};
    for (const auto& [typed, serial] : {std::pair{"/dev/pts/7", ""},
                                        {"/dev/serial/by-id/usb-FTDI_A12-if00-port0", ""},
                                        {"rfc2217://lab-server:4001", ""},
                                        {"socket://10.0.0.5:4002", ""},
                                        {"/dev/ttyUSB0", "A12"},
                                        {"", ""}}) {
        ui::FrmSerialPorts window([&] { return present; }, settings);
        window.show();
        QApplication::setActiveWindow(&window);
        test::typeInto(window.cmbPort(2)->lineEdit(), QString::fromLatin1(typed));
        for (int enter = 0; enter < 2 && window.isVisible(); ++enter) // completes, then OK
            QTest::keyClick(window.cmbPort(2)->lineEdit(), Qt::Key_Return);
        EXPECT_FALSE(window.isVisible()) << typed;
        const PortAssignment::Choice chosen = PortAssignment::load(settings).choice(2);
        EXPECT_EQ(chosen.device + "|" + chosen.serialNumber, QString(typed) + "|" + serial);
        ui::FrmSerialPorts again([&] { return present; }, settings); // shown as typed
        EXPECT_TRUE(!*typed || *serial || again.cmbPort(2)->currentText() == typed) << typed;
    }
}
