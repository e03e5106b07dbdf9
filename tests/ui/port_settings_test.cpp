#include "project/project_state.h"
#include "support/ui_helpers.h"
#include "ui/main/frm_main.h"
#include "ui/settings/frm_control_port_settings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
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
    EXPECT_FALSE(dialog->isModal());
    // A port never filled shows empty texts and neither format.
    EXPECT_EQ(dialog->cmbBaudRate()->currentText(), "");
    EXPECT_FALSE(dialog->ChooseAscii()->isChecked() || dialog->ChooseHex()->isChecked());
    dialog->cmbBaudRate()->setCurrentIndex(2);
    dialog->cmbParity()->setCurrentText("ODD");
    dialog->cmbBits()->setCurrentText("8");
    dialog->ChooseHex()->click();
    pressEnter(dialog);

    EXPECT_EQ(state.port(0), CommSets());
    const CommSets& two = state.port(1);
    EXPECT_TRUE(two.BaudRate.holdsText());
    EXPECT_EQ(two, (CommSets{"19200", "", "8", "ODD", 2}));
    EXPECT_TRUE(state.isModified());
}

TEST(PortSettings, CatalogueValuesShowAndComeBackAsTexts) {
    ProjectState state;
    state.setPort(0, CommSets{9600, 1, 8, "NONE", 1});
    FrmMain main(state);
    FrmControlPortSettings* dialog = openFromMenu(main, 0);
    EXPECT_EQ(dialog->windowTitle(), "Setup Control Port One");
    EXPECT_EQ(QStringList({dialog->cmbBaudRate()->currentText(), dialog->cmbSbit()->currentText(),
                           dialog->cmbBits()->currentText(), dialog->cmbParity()->currentText()}),
              QStringList({"9600", "1", "8", "NONE"}));
    EXPECT_TRUE(dialog->ChooseAscii()->isChecked());
    pressEnter(dialog);
    EXPECT_TRUE(state.port(0).BaudRate.holdsText());
    EXPECT_EQ(state.port(0), (CommSets{9600, 1, 8, "NONE", 1}));
}

TEST(PortSettings, TheCloseBoxStoresNothingAndNeitherFormatLeavesPresentationAsItWas) {
    ProjectState state;
    FrmMain main(state);
    FrmControlPortSettings* dialog = openFromMenu(main, 0);
    dialog->cmbBaudRate()->setEditText("9600");
    dialog->ChooseHex()->click();
    dialog->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(state.port(0), CommSets());
    EXPECT_FALSE(state.isModified());

    // The single instance, reopened for the other port, forgets the former choice.
    dialog = openFromMenu(main, 0);
    dialog->ChooseHex()->click();
    EXPECT_EQ(openFromMenu(main, 1), dialog);
    EXPECT_FALSE(dialog->ChooseHex()->isChecked());
    pressEnter(dialog);
    EXPECT_TRUE(state.port(1).prsentAs.isUnset());
    EXPECT_EQ(state.port(1).BaudRate, Value(""));
}

// Typed values: one the panel does not know is refused and the dialog stays; a list item typed in
// another case is stored in the list's spelling.
TEST(PortSettings, TypedValuesOutsideTheListsAreRefusedAndTheDialogStays) {
    ProjectState state;
    state.setPort(1, CommSets{9600, 1, 8, "NONE", 2});
    FrmMain main(state);
    test::MessageBoxes boxes;
    FrmControlPortSettings* dialog = openFromMenu(main, 1);
    for (const auto& [baud, parity, refused] :
         {std::tuple{"96OO", "NONE",
                     "The panel does not know baud rate \"96OO\" (it knows 7600, "
                     "9600, 19200, 28800, 38400 or 115200)."},
          {"14400", "NONE", "The panel does not know baud rate \"14400\""},
          {"9600", "MARK", "The panel does not know parity \"MARK\" (it knows NONE, EVEN or"}}) {
        test::typeInto(dialog->cmbBaudRate()->lineEdit(), baud);
        test::typeInto(dialog->cmbParity()->lineEdit(), parity);
        QTest::keyClick(dialog->cmbParity()->lineEdit(), Qt::Key_Return); // presses "Enter"
        const test::MessageBoxes::Box box = boxes.next();
        EXPECT_TRUE(
            (box.title + ": " + box.text).startsWith(QString("Setup Control Port Two: ") + refused))
            << box.text.toStdString();
        EXPECT_TRUE(dialog->isVisible() && state.port(1) == (CommSets{9600, 1, 8, "NONE", 2}))
            << baud;
    }
    test::typeInto(dialog->cmbBaudRate()->lineEdit(), "19200");
    test::typeInto(dialog->cmbParity()->lineEdit(), "even");
    test::typeInto(dialog->cmbSbit()->lineEdit(), ""); // empty: a field never set up
    pressEnter(dialog);
    EXPECT_EQ(state.port(1), (CommSets{"19200", "", "8", "EVEN", 2}));
    EXPECT_EQ(state.port(1).Parity.toText(), "EVEN"); // in the list's spelling
}
