#include "project/project_state.h"
#include "support/ui_helpers.h"
#include "ui/dlg_btn_set_up.h"
#include "ui/frm_config_buttons.h"
#include "ui/frm_main.h"
#include "ui/frm_string_enter.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::ui;
using ondrel::test::MessageBoxAnswerer;

namespace {

struct Fixture {
    ProjectState state;
    FrmMain main{state};

    FrmConfigButtons* open(int button) { return main.openButtonConfiguration(button); }

    template <typename T = QWidget> T* widget(QWidget* root, const QString& name) {
        T* w = root->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << qPrintable(name);
        return w;
    }
    QString box(FrmConfigButtons* dialog, const char* name) {
        return widget<QLineEdit>(dialog, QString::fromLatin1(name))->text();
    }
    bool checked(FrmConfigButtons* dialog, const char* name) {
        return widget<QAbstractButton>(dialog, QString::fromLatin1(name))->isChecked();
    }
    void click(QWidget* root, const char* name) {
        widget<QAbstractButton>(root, QString::fromLatin1(name))->click();
    }

    // Count dialog: type the count and press OK; returns the entry dialog when one opened.
    FrmStringEnter* enterCount(FrmConfigButtons* dialog, const QString& count) {
        DlgBtnSetUp* countDialog = dialog->countDialog();
        EXPECT_NE(countDialog, nullptr);
        if (!countDialog)
            return nullptr;
        EXPECT_TRUE(countDialog->isVisible());
        countDialog->ByteNumber()->setText(count);
        QPointer<DlgBtnSetUp> watch(countDialog);
        click(countDialog, "OKButton");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(watch.isNull());
        return dialog->stringEntry();
    }

    void enterBytes(FrmStringEnter* entry, const QStringList& texts) {
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry->byteCount(), texts.size());
        for (int i = 0; i < texts.size(); ++i)
            entry->Str_Byte(i)->setText(texts[i]);
        click(entry, "OKButton");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

void release(QWidget* w) {
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &up);
}

} // namespace

TEST(ButtonConfiguration, NewRecordOpensAsASingleMomentaryButton) {
    Fixture f;
    {
        MessageBoxAnswerer answers; // the one-time custom-setup warning comes first
        f.main.findChild<QPushButton*>("cmdReConfig_0")->click();
        EXPECT_EQ(answers.seen.size(), 1);
    }
    auto* dialog = f.main.findChild<FrmConfigButtons*>("FrmConfigButtons");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "Button One Configuration");
    EXPECT_TRUE(f.checked(dialog, "ButtonType_3"));
    EXPECT_FALSE(f.checked(dialog, "Repeating"));
    EXPECT_FALSE(f.checked(dialog, "chkClrwSrce"));
    EXPECT_TRUE(f.checked(dialog, "SngUse"));
    EXPECT_TRUE(f.checked(dialog, "OptRelay1_3"));
    EXPECT_TRUE(f.checked(dialog, "OptRelay2_3"));
    // Hidden controls exist and show the record's values.
    EXPECT_TRUE(f.widget(dialog, "Incrementing")->isHidden());
    EXPECT_TRUE(f.widget(dialog, "frmRelayOne_1")->isHidden());
    EXPECT_TRUE(f.widget(dialog, "frmRelayTwo_1")->isHidden());
    EXPECT_TRUE(f.checked(dialog, "OptRelay1_2_1"));
    EXPECT_TRUE(f.checked(dialog, "OptRelay2_2_1"));
    for (const char* name : {"FrmButtonCnfg_1", "BtnCnfgOne_1", "BtnCnfgTwo_1", "TxtPort1_1",
                             "TxtPort2_1", "CmdPortOne_1", "OptRelay1_2_0"})
        EXPECT_FALSE(f.widget(dialog, name)->isEnabled()) << name;
    EXPECT_TRUE(f.widget(dialog, "BtnCnfgOne_0")->isEnabled());
    for (const char* name : {"TxtPort1_0", "TxtPort1_1", "TxtPort2_0", "TxtPort2_1"})
        EXPECT_EQ(f.box(dialog, name), "") << name;
    EXPECT_EQ(f.widget<QPushButton>(dialog, "BtnCnfgOne_0")->text(), "Configure ");
    EXPECT_EQ(f.widget<QCheckBox>(dialog, "Incrementing")->text(), "Inrementing");
    EXPECT_FALSE(f.state.isModified()); // looking changes nothing
}

TEST(ButtonConfiguration, DualRecordAndSwitchingBackToSingleKeepsTheStrings) {
    Fixture f;
    ButtonConfig& record = f.state.editButton(3);
    record.setDualFunction();
    record.setCommandString1(3, ByteList{2, 80, 3});
    record.setCommandString1_2(3, ByteList{2, 81, 3});
    record.Button_type = TypeToggle;
    record.Repeatng = 1;
    record.setRelayInfo(2, RelayOn);
    f.state.editPort(0).prsentAs = 2;
    FrmConfigButtons* dialog = f.open(3);
    EXPECT_EQ(dialog->windowTitle(), "Button Four Configuration");
    EXPECT_TRUE(f.checked(dialog, "DualUse"));
    EXPECT_TRUE(dialog->Dual_Function_State);
    EXPECT_TRUE(f.widget(dialog, "FrmButtonCnfg_1")->isEnabled());
    EXPECT_TRUE(f.widget(dialog, "TxtPort1_1")->isEnabled());
    EXPECT_TRUE(f.widget(dialog, "frmRelayOne_1")->isHidden());
    EXPECT_TRUE(f.checked(dialog, "ButtonType_4"));
    EXPECT_TRUE(f.checked(dialog, "Repeating"));
    EXPECT_TRUE(f.checked(dialog, "OptRelay2_0"));
    EXPECT_EQ(f.box(dialog, "TxtPort1_0"), " 02H 50H 03H");
    EXPECT_EQ(f.box(dialog, "TxtPort1_1"), " 02H 51H 03H");

    f.click(dialog, "SngUse");
    EXPECT_FALSE(f.state.button(3).getDualFunction());
    EXPECT_EQ(f.state.button(3).commandString1_2(), ByteList({2, 81, 3}));
    EXPECT_FALSE(f.widget(dialog, "TxtPort1_1")->isEnabled());
    f.click(dialog, "DualUse");
    EXPECT_TRUE(f.state.button(3).getDualFunction());
}

TEST(ButtonConfiguration, ClicksGoStraightIntoTheRecord) {
    Fixture f;
    FrmConfigButtons* dialog = f.open(6);
    f.click(dialog, "ButtonType_2");
    f.click(dialog, "chkClrwSrce");
    f.click(dialog, "Repeating");
    f.click(dialog, "OptRelay1_1");
    f.click(dialog, "OptRelay2_2");
    const ButtonConfig& record = f.state.button(6);
    EXPECT_EQ(record.Button_type, Value(TypeSource));
    EXPECT_EQ(record.clrWthSrc, Value(1));
    EXPECT_EQ(record.Repeatng, Value(1));
    EXPECT_EQ(record.getRelay1St(0), Value(RelayOff));
    EXPECT_EQ(record.getRelay2St(0), Value(RelayMomentary));
    EXPECT_EQ(record.getRelay1St(1), Value(RelayOff)); // secondary relays untouched
    f.click(dialog, "Repeating");
    EXPECT_EQ(record.Repeatng, Value(0));
}

TEST(ButtonConfiguration, SwitchingToAnotherButtonReloadsEverything) {
    Fixture f;
    f.state.editButton(0).Button_type = TypeOn;
    f.state.editButton(0).Repeatng = 1;
    f.state.editButton(0).Incr = 1;
    FrmConfigButtons* first = f.open(0);
    EXPECT_TRUE(f.checked(first, "ButtonType_0"));
    EXPECT_TRUE(f.checked(first, "Incrementing"));
    FrmConfigButtons* second = f.open(1);
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->windowTitle(), "Button Two Configuration");
    EXPECT_TRUE(f.checked(second, "ButtonType_3"));
    EXPECT_FALSE(f.checked(second, "Repeating"));
    EXPECT_FALSE(f.checked(second, "Incrementing"));

    // A type no option stands for (from a file) shows no option and stays in the record.
    f.state.editButton(2).Button_type = 7;
    f.state.editButton(2).setRelayInfo(1, 9);
    f.open(2);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(f.checked(second, qPrintable(QStringLiteral("ButtonType_%1").arg(i))));
    EXPECT_FALSE(f.checked(second, "OptRelay1_3"));
    EXPECT_EQ(f.state.button(2).Button_type, Value(7));
    EXPECT_EQ(f.state.button(2).getRelay1St(0), Value(9));
}

TEST(ButtonConfiguration, SecondaryConfigureStoresIntoTheSecondaryList) {
    Fixture f;
    f.state.editButton(5).setDualFunction();
    FrmConfigButtons* dialog = f.open(5);
    f.click(dialog, "BtnCnfgOne_1");
    EXPECT_EQ(dialog->dual, 1);
    EXPECT_EQ(dialog->Btn, 5);
    f.enterBytes(f.enterCount(dialog, "2"), {"02", "03"});
    EXPECT_EQ(f.state.button(5).commandString1_2(), ByteList({2, 3}));
    EXPECT_TRUE(f.state.button(5).commandString1().isEmpty());
    EXPECT_EQ(f.box(dialog, "TxtPort1_1"), " 2 3");
}

TEST(ButtonConfiguration, ACommandBoxActsLikeItsConfigureButton) {
    Fixture f;
    FrmConfigButtons* dialog = f.open(0);
    release(f.widget(dialog, "TxtPort2_0"));
    EXPECT_EQ(dialog->dual, 0);
    EXPECT_EQ(dialog->Btn, 6);
    ASSERT_NE(dialog->countDialog(), nullptr);
    EXPECT_EQ(dialog->countDialog()->windowTitle(), "Configure Buttons");
    f.enterBytes(f.enterCount(dialog, "1"), {"A"});
    EXPECT_EQ(f.state.button(0).commandString2(), ByteList({65}));
    EXPECT_EQ(f.box(dialog, "TxtPort2_0"), " 65");

    // The disabled secondary box of a single button opens nothing.
    release(f.widget(dialog, "TxtPort1_1"));
    EXPECT_EQ(dialog->countDialog(), nullptr);
}

TEST(ButtonConfiguration, CountZeroBlanksTheBoxAndTheMainWindowList) {
    Fixture f;
    f.state.editButton(2).setCommandString1(3, ByteList{2, 80, 3});
    f.state.commandText1[2] = "Power On";
    f.state.touch();
    FrmConfigButtons* dialog = f.open(2);
    EXPECT_EQ(f.box(dialog, "TxtPort1_0"), " 2 80 3");
    EXPECT_EQ(f.main.Combo1(2)->currentText(), "Power On");
    f.click(dialog, "BtnCnfgOne_0");
    EXPECT_EQ(f.enterCount(dialog, "0"), nullptr);
    EXPECT_TRUE(f.state.button(2).commandString1().isEmpty());
    EXPECT_EQ(f.state.button(2).getCommandString(1), "None");
    EXPECT_EQ(f.box(dialog, "TxtPort1_0"), "");
    EXPECT_EQ(f.main.Combo1(2)->currentText(), "");
}

TEST(ButtonConfiguration, CountsThatAreNotWholeNumbersChangeNothingAndSaySo) {
    Fixture f;
    f.state.editButton(2).setCommandString1(1, ByteList{7});
    FrmConfigButtons* dialog = f.open(2);
    f.click(dialog, "BtnCnfgOne_0");
    for (const char* count : {"abc", "-3", "2.5", "", "256"}) {
        dialog->countDialog()->ByteNumber()->setText(count);
        f.click(dialog->countDialog(), "OKButton");
        QMessageBox* box = test::findMessageBox("Configure Buttons");
        ASSERT_NE(box, nullptr) << count;
        EXPECT_TRUE(box->text().contains("whole number from 0 to 255")) << count;
        test::closeMessageBoxes();
        EXPECT_TRUE(dialog->countDialog()->isVisible()) << count;
        EXPECT_EQ(dialog->stringEntry(), nullptr);
    }
    EXPECT_EQ(f.state.button(2).commandString1(), ByteList({7}));
}

TEST(ButtonConfiguration, TwentyFiveFieldsInRowsOfTen) {
    Fixture f;
    FrmConfigButtons* dialog = f.open(0);
    f.click(dialog, "BtnCnfgOne_0");
    FrmStringEnter* entry = f.enterCount(dialog, "25");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->windowTitle(), "Dialog Caption");
    ASSERT_EQ(entry->byteCount(), 25);
    EXPECT_EQ(twipsGeometry(entry->Str_Byte(0)), QRectF(240, 1200, 495, 375));
    EXPECT_EQ(twipsGeometry(entry->Str_Byte(9)), QRectF(240 + 9 * 560, 1200, 495, 375));
    EXPECT_EQ(twipsGeometry(entry->Str_Byte(10)), QRectF(240, 1720, 495, 375));
    EXPECT_EQ(twipsGeometry(entry->Str_Byte(19)).top(), 1720);
    EXPECT_EQ(twipsGeometry(entry->Str_Byte(20)), QRectF(240, 2240, 495, 375));
    EXPECT_EQ(twipsGeometry(entry->Str_Byte(24)), QRectF(240 + 4 * 560, 2240, 495, 375));
    EXPECT_EQ(entry->findChild<QLineEdit*>("Str_Byte_25"), nullptr);
    EXPECT_EQ(twipsGeometry(entry).height(), 2240 + 1500);
    EXPECT_EQ(entry->height(), twipsToPixels(2240 + 1500));
}

TEST(ButtonConfiguration, StartAndEndCharactersFillTheirFields) {
    Fixture f;
    FrmConfigButtons* dialog = f.open(0);
    f.click(dialog, "BtnCnfgTwo_0");
    FrmStringEnter* entry = f.enterCount(dialog, "1");
    ASSERT_NE(entry, nullptr);
    emit entry->StrtChr()->activated(1); // "STX"
    EXPECT_EQ(entry->Str_Byte(0)->text(), "02");
    emit entry->EndChr()->activated(1); // "ETX" on the same single field
    EXPECT_EQ(entry->Str_Byte(0)->text(), "03");
    emit entry->EndChr()->activated(2); // "Cariage Return"
    EXPECT_EQ(entry->Str_Byte(0)->text(), "0D");
    emit entry->StrtChr()->activated(0); // "None"
    EXPECT_EQ(entry->Str_Byte(0)->text(), "");
    EXPECT_EQ(entry->EndChr()->itemText(2), "Cariage Return");

    // Cancel stores nothing but refreshes the boxes, and so does Esc.
    f.state.editButton(0).setCommandString1(1, ByteList{9}); // behind the window's back
    f.click(entry, "CancelButton");
    EXPECT_TRUE(f.state.button(0).commandString2().isEmpty());
    EXPECT_EQ(f.box(dialog, "TxtPort1_0"), " 9");

    f.click(dialog, "BtnCnfgTwo_0");
    entry = f.enterCount(dialog, "1");
    ASSERT_NE(entry, nullptr);
    QPointer<FrmStringEnter> watch(entry);
    f.state.editButton(0).setCommandString1(1, ByteList{8});
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(entry, &escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(f.box(dialog, "TxtPort1_0"), " 8");
    EXPECT_TRUE(f.state.button(0).commandString2().isEmpty());
}

TEST(ButtonConfiguration, EntriesBecomeBytesInTheAsciiForm) {
    Fixture f;
    f.state.editPort(0).prsentAs = 1;
    FrmConfigButtons* dialog = f.open(1);
    f.click(dialog, "BtnCnfgOne_0");
    f.enterBytes(f.enterCount(dialog, "4"), {"02", "P", "0d", "03"});
    EXPECT_EQ(f.state.button(1).commandString1(), ByteList({2, 80, 13, 3}));
    EXPECT_EQ(f.box(dialog, "TxtPort1_0"), QString(QChar(2)) + "P <CR> " + QString(QChar(3)));
}

TEST(ButtonConfiguration, AnUnreadableEntryLeavesAnEmptySlot) {
    Fixture f;
    FrmConfigButtons* dialog = f.open(1);
    f.click(dialog, "BtnCnfgOne_0");
    f.enterBytes(f.enterCount(dialog, "3"), {"02", "123", "03"});
    QMessageBox* box = test::findMessageBox("Error");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Value Not Recognized");
    EXPECT_TRUE(box->informativeText().startsWith("Field 2 of 3 holds \"123\""));
    test::closeMessageBoxes();
    const ByteList& list = f.state.button(1).commandString1();
    EXPECT_EQ(list.upperBound(), 3);
    EXPECT_TRUE(list.slot(1).isUnset());
    EXPECT_EQ(f.box(dialog, "TxtPort1_0"), " 2 3");
}

TEST(ButtonConfiguration, CustomStringsShowInTheMainWindow) {
    Fixture f;
    FrmConfigButtons* dialog = f.open(4);
    f.click(dialog, "BtnCnfgTwo_0");
    f.enterBytes(f.enterCount(dialog, "1"), {"x"});
    for (int i = 0; i < kButtonCount; ++i) {
        EXPECT_EQ(f.main.Label4(i)->text(), "Custom");
        EXPECT_FALSE(f.main.Label4(i)->isHidden());
        EXPECT_FALSE(f.main.Combo2(i)->isHidden());
        EXPECT_TRUE(f.main.Label3(i)->isHidden());
    }
    EXPECT_EQ(f.main.Combo2(4)->currentText(), "Custom");
    EXPECT_EQ(f.main.Combo2(3)->currentText(), "");

    // A second custom string changes its own list only.
    f.state.deviceLabel2 = "Acme  X1";
    f.state.touch();
    f.open(8);
    f.click(dialog, "BtnCnfgTwo_0");
    f.enterBytes(f.enterCount(dialog, "1"), {"y"});
    EXPECT_EQ(f.main.Combo2(8)->currentText(), "Custom");
    EXPECT_EQ(f.main.Label4(0)->text(), "Acme  X1");

    // Port one: the labels turn to "Custom" the first time.
    f.click(dialog, "BtnCnfgOne_0");
    f.enterBytes(f.enterCount(dialog, "1"), {"z"});
    EXPECT_EQ(f.main.Combo1(8)->currentText(), "Custom");
    EXPECT_EQ(f.main.Label3(9)->text(), "Custom");
    EXPECT_FALSE(f.main.Label3(9)->isHidden());
}

TEST(ButtonConfiguration, OkStoresIntoTheTargetSelectedAtThatMoment) {
    Fixture f;
    FrmConfigButtons* dialog = f.open(0);
    f.click(dialog, "BtnCnfgOne_0");
    FrmStringEnter* entry = f.enterCount(dialog, "1");
    f.open(7); // the installer switches the window to Button Eight meanwhile
    f.enterBytes(entry, {"5"});
    EXPECT_TRUE(f.state.button(0).commandString1().isEmpty());
    EXPECT_EQ(f.state.button(7).commandString1(), ByteList({53}));
}

TEST(ButtonConfiguration, FinalizeRefreshesTheRelayMenu) {
    Fixture f;
    for (int i = 0; i < kButtonCount; ++i) {
        f.state.editButton(i).setRelayInfo(1, RelayMomentary);
        f.state.editButton(i).setRelayInfo(2, RelayMomentary);
    }
    f.main.CheckRelays();
    QPointer<FrmConfigButtons> dialog = f.open(1);
    f.click(dialog, "OptRelay2_1");
    EXPECT_TRUE(f.main.RL[1][1]->isChecked()); // not before "Finalize Configuration"
    f.click(dialog, "BtnFinalize");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    for (int n = 0; n < kButtonCount; ++n)
        for (int relay = 0; relay < 2; ++relay)
            EXPECT_EQ(f.main.RL[size_t(n)][size_t(relay)]->isChecked(), !(n == 1 && relay == 1));
}
