#include "project/project_state.h"
#include "ui/frm_control_port_settings.h"
#include "ui/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::ui;

namespace {

FrmControlPortSettings* openFromMenu(FrmMain& main, int port) {
    main.findChild<QAction*>(QStringLiteral("mnuPort_%1").arg(port))->trigger();
    auto* dialog = main.findChild<FrmControlPortSettings*>("frmControlPortSettings");
    EXPECT_NE(dialog, nullptr);
    return dialog;
}

void pressEnter(FrmControlPortSettings* dialog) {
    QPointer<FrmControlPortSettings> watch(dialog);
    dialog->findChild<QPushButton*>("Command1")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull()); // unloaded
}

} // namespace

TEST(PortSettings, PortTwoStoresTheTextsAsShownAndLeavesPortOneAlone) {
    ProjectState state;
    FrmMain main(state);
    FrmControlPortSettings* dialog = openFromMenu(main, 1);
    EXPECT_EQ(dialog->windowTitle(), "Setup Control Port Two");
    EXPECT_EQ(dialog->portNumber(), 1);
    EXPECT_FALSE(dialog->isModal());
    QStringList baudRates;
    for (int i = 0; i < dialog->cmbBaudRate()->count(); ++i)
        baudRates << dialog->cmbBaudRate()->itemText(i);
    EXPECT_EQ(baudRates, QStringList({"7600", "9600", "19200", "28800", "38400", "115200"}));
    // A port never filled shows empty texts and neither format.
    EXPECT_EQ(dialog->cmbBaudRate()->currentText(), "");
    EXPECT_FALSE(dialog->ChooseAscii()->isChecked());
    EXPECT_FALSE(dialog->ChooseHex()->isChecked());

    dialog->cmbBaudRate()->setCurrentIndex(2);
    dialog->cmbParity()->setCurrentText("ODD");
    dialog->cmbBits()->setCurrentText("8");
    dialog->ChooseHex()->click();
    pressEnter(dialog);

    EXPECT_EQ(state.port(0), CommSets());
    const CommSets& two = state.port(1);
    EXPECT_TRUE(two.BaudRate.holdsText());
    EXPECT_EQ(two.BaudRate.toText(), "19200");
    EXPECT_EQ(two.Parity, Value("ODD"));
    EXPECT_EQ(two.prsentAs, Value(2));
    EXPECT_EQ(two.TransmitFormat, Value("8"));
    EXPECT_EQ(two.StopBit, Value("")); // stored as shown, the empty text included
    EXPECT_FALSE(two.StopBit.isUnset());
    EXPECT_TRUE(state.isModified());
}

TEST(PortSettings, CatalogueValuesShowAndComeBackAsTexts) {
    ProjectState state;
    CommSets& one = state.editPort(0);
    one.BaudRate = 9600;
    one.StopBit = 1;
    one.TransmitFormat = 8;
    one.Parity = "NONE";
    one.prsentAs = 1;
    FrmMain main(state);
    FrmControlPortSettings* dialog = openFromMenu(main, 0);
    EXPECT_EQ(dialog->windowTitle(), "Setup Control Port One");
    EXPECT_EQ(dialog->cmbBaudRate()->currentText(), "9600");
    EXPECT_EQ(dialog->cmbSbit()->currentText(), "1");
    EXPECT_EQ(dialog->cmbBits()->currentText(), "8");
    EXPECT_EQ(dialog->cmbParity()->currentText(), "NONE");
    EXPECT_TRUE(dialog->ChooseAscii()->isChecked());
    pressEnter(dialog);
    EXPECT_TRUE(state.port(0).BaudRate.holdsText());
    EXPECT_EQ(state.port(0).BaudRate, Value(9600));
    EXPECT_EQ(state.port(0).prsentAs, Value(1));
}

TEST(PortSettings, NeitherFormatLeavesPresentationAsItWas) {
    ProjectState state;
    state.editPort(1).prsentAs = 2;
    FrmMain main(state);
    pressEnter(openFromMenu(main, 0)); // port one: never set, stays unset
    EXPECT_TRUE(state.port(0).prsentAs.isUnset());
    EXPECT_EQ(state.port(0).BaudRate, Value(""));

    // A typed rate outside the list is stored as typed.
    FrmControlPortSettings* dialog = openFromMenu(main, 1);
    dialog->ChooseHex()->setAutoExclusive(false);
    dialog->ChooseHex()->setChecked(false);
    dialog->cmbBaudRate()->setEditText("4800x");
    pressEnter(dialog);
    EXPECT_EQ(state.port(1).prsentAs, Value(2));
    EXPECT_EQ(state.port(1).BaudRate, Value("4800x"));
}

TEST(PortSettings, SingleInstanceReopenedForTheOtherPortForgetsTheFormerChoice) {
    ProjectState state;
    FrmMain main(state);
    FrmControlPortSettings* first = openFromMenu(main, 0);
    first->ChooseHex()->click();
    FrmControlPortSettings* second = openFromMenu(main, 1);
    EXPECT_EQ(first, second);
    EXPECT_EQ(main.findChildren<FrmControlPortSettings*>().size(), 1);
    EXPECT_FALSE(second->ChooseHex()->isChecked());
    pressEnter(second);
    EXPECT_TRUE(state.port(1).prsentAs.isUnset());
}

TEST(PortSettings, TheCloseBoxStoresNothing) {
    ProjectState state;
    FrmMain main(state);
    FrmControlPortSettings* dialog = openFromMenu(main, 0);
    dialog->cmbBaudRate()->setEditText("9600");
    dialog->close();
    EXPECT_EQ(state.port(0), CommSets());
    EXPECT_FALSE(state.isModified());
}
