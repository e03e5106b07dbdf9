#include "project/project_state.h"
#include "support/ui_helpers.h"
#include "ui/buttons/dlg_btn_set_up.h"
#include "ui/buttons/frm_config_buttons.h"
#include "ui/buttons/frm_string_enter.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::ui;
using ondrel::test::MessageBoxes;

namespace {

struct Fixture {
    ProjectState state;
    FrmMain main{state};
    FrmConfigButtons* dialog = nullptr;

    FrmConfigButtons* open(int button) { return dialog = main.openButtonConfiguration(button); }
    QWidget* widget(const char* name) {
        auto* w = dialog->findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString box(const char* name) { return static_cast<QLineEdit*>(widget(name))->text(); }
    bool checked(const char* name) {
        return static_cast<QAbstractButton*>(widget(name))->isChecked();
    }
    void click(const char* name, QWidget* root = nullptr) {
        (root ? root : dialog)->findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A configure button, then the count; returns the entry dialog when one opened.
    FrmStringEnter* configure(const char* button, const QString& count) {
        click(button);
        DlgBtnSetUp* countDialog = dialog->countDialog();
        EXPECT_TRUE(countDialog && countDialog->isVisible());
        if (!countDialog)
            return nullptr;
        countDialog->ByteNumber()->setText(count);
        click("OKButton", countDialog);
        EXPECT_EQ(dialog->countDialog(), nullptr);
        return dialog->stringEntry();
    }
    void enterBytes(FrmStringEnter* entry, const QStringList& texts) {
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry->byteCount(), texts.size());
        for (int i = 0; i < texts.size(); ++i)
            entry->Str_Byte(i)->setText(texts[i]);
        click("OKButton", entry);
    }
};

} // namespace

TEST(ButtonConfiguration, NewRecordOpensAsASingleMomentaryButtonAfterTheWarning) {
    Fixture f;
    MessageBoxes boxes; // the one-time custom-setup warning comes first
    f.main.cmdReConfig(0)->click();
    EXPECT_EQ(boxes.next().title, "Corvane Ondrel");
    f.dialog = f.main.findChild<FrmConfigButtons*>("FrmConfigButtons");
    ASSERT_NE(f.dialog, nullptr);
    EXPECT_TRUE(f.dialog->isVisible());
    EXPECT_FALSE(f.dialog->isModal());
    EXPECT_EQ(f.dialog->windowTitle(), "Button One Configuration");
    for (const char* name : {"ButtonType_3", "SngUse", "OptRelay1_3", "OptRelay2_3"})
        EXPECT_TRUE(f.checked(name)) << name;
    EXPECT_EQ(f.box("TxtPort1_0") + f.box("TxtPort2_0"), "");
    f.main.cmdReConfig(4)->click();
    EXPECT_EQ(boxes.seen().size(), 1); // once per run
    EXPECT_EQ(f.dialog->windowTitle(), "Button Five Configuration");
    EXPECT_FALSE(f.state.isModified()); // looking changes nothing
}

TEST(ButtonConfiguration, DualRecordAndSwitchingBackToSingleKeepsTheStrings) {
    Fixture f;
    ButtonConfig record = f.state.button(3);
    record.setDualFunction();
    record.setCommandString1(3, ByteList{2, 80, 3});
    record.setCommandString1_2(3, ByteList{2, 81, 3});
    record.Button_type = TypeToggle;
    record.Repeatng = 1;
    record.setRelayInfo(2, RelayOn);
    f.state.setButton(3, record);
    f.state.updatePort(0, [&](CommSets& settings) { settings.prsentAs = 2; });
    f.open(3);
    for (const char* name : {"DualUse", "ButtonType_4", "Repeating", "OptRelay2_0"})
        EXPECT_TRUE(f.checked(name)) << name;
    EXPECT_TRUE(f.widget("TxtPort1_1")->isEnabled());
    EXPECT_EQ(f.box("TxtPort1_0"), " 02H 50H 03H");
    EXPECT_EQ(f.box("TxtPort1_1"), " 02H 51H 03H");

    f.click("SngUse");
    EXPECT_FALSE(f.state.button(3).getDualFunction());
    EXPECT_EQ(f.state.button(3).commandString1_2(), ByteList({2, 81, 3}));
    EXPECT_FALSE(f.widget("TxtPort1_1")->isEnabled());
    f.click("DualUse");
    EXPECT_TRUE(f.state.button(3).getDualFunction());
}

TEST(ButtonConfiguration, ClicksGoStraightIntoTheRecordAndAnotherButtonReloadsAll) {
    Fixture f;
    f.open(6);
    for (const char* name :
         {"ButtonType_2", "chkClrwSrce", "Repeating", "OptRelay1_1", "OptRelay2_2"})
        f.click(name);
    const ButtonConfig& record = f.state.button(6);
    EXPECT_EQ(record.Button_type, Value(TypeSource));
    EXPECT_EQ(record.clrWthSrc, Value(1));
    EXPECT_EQ(record.Repeatng, Value(1));
    EXPECT_EQ(record.getRelay1St(0), Value(RelayOff));
    EXPECT_EQ(record.getRelay2St(0), Value(RelayMomentary));
    EXPECT_EQ(record.getRelay1St(1), Value(RelayOff)); // secondary relays untouched
    f.click("Repeating");
    EXPECT_EQ(record.Repeatng, Value(0));

    // The same window shows the next button; a type no option stands for (from a file) shows
    // no option and stays in the record.
    f.state.updateButton(2, [](ButtonConfig& b) { b.Button_type = 7; });
    f.state.updateButton(2, [](ButtonConfig& b) { b.setRelayInfo(1, 9); });
    FrmConfigButtons* first = f.dialog;
    EXPECT_EQ(f.open(2), first);
    EXPECT_EQ(first->windowTitle(), "Button Three Configuration");
    for (const char* name : {"ButtonType_0", "ButtonType_2", "ButtonType_3", "OptRelay1_3",
                             "Repeating", "chkClrwSrce"})
        EXPECT_FALSE(f.checked(name)) << name;
    EXPECT_EQ(f.state.button(2).Button_type, Value(7));
    EXPECT_EQ(f.state.button(2).getRelay1St(0), Value(9));
}

TEST(ButtonConfiguration, ConfigureButtonsAndCommandBoxesEditTheirOwnString) {
    Fixture f;
    f.state.updateButton(5, [&](ButtonConfig& record) { record.setDualFunction(); });
    f.open(5);
    f.enterBytes(f.configure("BtnCnfgOne_1", "2"), {"02", "03"});
    EXPECT_EQ(f.state.button(5).commandString1_2(), ByteList({2, 3}));
    EXPECT_TRUE(f.state.button(5).commandString1().isEmpty());
    EXPECT_EQ(f.box("TxtPort1_1"), " 2 3");

    // A command box acts like its configure button; a disabled one opens nothing.
    f.open(0);
    test::click(f.widget("TxtPort2_0"));
    ASSERT_NE(f.dialog->countDialog(), nullptr);
    EXPECT_EQ(f.dialog->countDialog()->windowTitle(), "Configure Buttons");
    f.dialog->countDialog()->ByteNumber()->setText("1");
    f.click("OKButton", f.dialog->countDialog());
    f.enterBytes(f.dialog->stringEntry(), {"A"});
    EXPECT_EQ(f.state.button(0).commandString2(), ByteList({65}));
    EXPECT_EQ(f.box("TxtPort2_0"), " 65");
    test::click(f.widget("TxtPort1_1"));
    EXPECT_EQ(f.dialog->countDialog(), nullptr);
}

TEST(ButtonConfiguration, CountZeroBlanksTheString) {
    Fixture f;
    f.state.updateButton(2, [&](ButtonConfig& record) {
        record.setCommandString1(3, ByteList{2, 80, 3});
    });
    f.state.setCommandText(0, 2, "Power On");
    f.open(2);
    EXPECT_EQ(f.box("TxtPort1_0"), " 2 80 3");
    EXPECT_EQ(f.configure("BtnCnfgOne_0", "0"), nullptr);
    EXPECT_EQ(f.state.button(2).getCommandString(1), "None");
    EXPECT_EQ(f.box("TxtPort1_0"), "");
    EXPECT_EQ(f.main.Combo1(2)->currentText(), "");
}

TEST(ButtonConfiguration, CountsThatAreNotWholeNumbersChangeNothingAndSaySo) {
    Fixture f;
    f.state.updateButton(2,
                         [&](ButtonConfig& record) { record.setCommandString1(1, ByteList{7}); });
    f.open(2);
    MessageBoxes boxes;
    f.click("BtnCnfgOne_0");
    for (const char* count : {"abc", "-3", "2.5", "", "256"}) {
        f.dialog->countDialog()->ByteNumber()->setText(count);
        f.click("OKButton", f.dialog->countDialog());
        const MessageBoxes::Box box = boxes.next();
        EXPECT_EQ(box.title, "Configure Buttons") << count;
        EXPECT_TRUE(box.text.contains("whole number from 0 to 255")) << count;
        EXPECT_TRUE(f.dialog->countDialog()->isVisible()) << count;
        EXPECT_EQ(f.dialog->stringEntry(), nullptr);
    }
    EXPECT_EQ(f.state.button(2).commandString1(), ByteList({7}));
}

TEST(ButtonConfiguration, TwentyFiveFieldsInRowsOfTen) {
    Fixture f;
    f.open(0);
    FrmStringEnter* entry = f.configure("BtnCnfgOne_0", "25");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->windowTitle(), "Dialog Caption");
    ASSERT_EQ(entry->byteCount(), 25);
    for (const auto& [i, x, y] : {std::tuple{0, 240, 1200},
                                  {9, 240 + 9 * 560, 1200},
                                  {10, 240, 1720},
                                  {24, 240 + 4 * 560, 2240}})
        EXPECT_EQ(twipsGeometry(entry->Str_Byte(i)), QRectF(x, y, 495, 375)) << i;
    EXPECT_EQ(entry->height(), twipsToPixels(2240 + 1500));
}

TEST(ButtonConfiguration, StartAndEndCharactersCancelAndEsc) {
    Fixture f;
    f.open(0);
    FrmStringEnter* entry = f.configure("BtnCnfgTwo_0", "1");
    ASSERT_NE(entry, nullptr);
    for (const auto& [combo, index, text] : {std::tuple{entry->StrtChr(), 1, "02"},
                                             {entry->EndChr(), 1, "03"},
                                             {entry->EndChr(), 2, "0D"},
                                             {entry->StrtChr(), 0, ""}}) {
        emit combo->activated(index);
        EXPECT_EQ(entry->Str_Byte(0)->text(), text);
    }

    // Cancel stores nothing but refreshes the boxes, and so does Esc.
    f.state.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString1(1, ByteList{9});
    }); // behind the window's back
    f.click("CancelButton", entry);
    EXPECT_TRUE(f.state.button(0).commandString2().isEmpty());
    EXPECT_EQ(f.box("TxtPort1_0"), " 9");
    QPointer<FrmStringEnter> watch = f.configure("BtnCnfgTwo_0", "1");
    ASSERT_FALSE(watch.isNull());
    f.state.updateButton(0,
                         [&](ButtonConfig& record) { record.setCommandString1(1, ByteList{8}); });
    QTest::keyClick(watch, Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(f.box("TxtPort1_0"), " 8");
}

// Typed field by field with Tab, as an installer does: unreadable fields keep the dialog open,
// marked, with nothing stored, until they are corrected.
TEST(ButtonConfiguration, UnreadableEntriesKeepTheDialogOpenAndStoreNothing) {
    Fixture f;
    f.open(1);
    MessageBoxes boxes;
    QPointer<FrmStringEnter> entry = f.configure("BtnCnfgOne_0", "4");
    ASSERT_FALSE(entry.isNull());
    const auto typeFields = [&](const QStringList& texts) {
        QApplication::setActiveWindow(entry); // typing starts where the focus is
        for (const QString& text : texts) {
            auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            ASSERT_NE(field, nullptr);
            test::typeInto(field, text);
            QTest::keyClick(field, Qt::Key_Tab);
        }
        QTest::keyClick(entry, Qt::Key_Return); // OK is the default button
    };
    EXPECT_EQ(entry->focusWidget(), entry->Str_Byte(0));
    typeFields({"02", "123", "", "03"});
    const MessageBoxes::Box box = boxes.next();
    EXPECT_EQ(
        box.title + ": " + box.text.left(70),
        "Error: Value Not RecognizedField 2 of 4 holds \"123\".\nField 3 of 4 holds \"\".\n\n");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.next(100).title, QString()) << "one box for all the fields";
    ASSERT_TRUE(entry && entry->isVisible());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(entry->Str_Byte(i)->toolTip().isEmpty(), i == 0 || i == 3) << i;
    EXPECT_EQ(entry->focusWidget(), entry->Str_Byte(1));
    EXPECT_FALSE(f.state.isModified());

    typeFields({"P", "0D"});
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(entry.isNull());
    EXPECT_EQ(f.state.button(1).commandString1(), ByteList({2, 80, 13, 3}));
    EXPECT_EQ(f.box("TxtPort1_0"), " 2 80 13 3");
}

// 255 fields on an 800 x 600 screen: the dialog stays on it with OK in view, the fields scroll,
// and Tab brings each into view.
TEST(ButtonConfiguration, AByteEntryTallerThanTheScreenScrolls) {
    Fixture f;
    f.open(0);
    FrmStringEnter* entry = f.configure("BtnCnfgOne_0", "255");
    ASSERT_NE(entry, nullptr);
    EXPECT_LE(entry->frameGeometry().height(), entry->screen()->availableGeometry().height());
    const QWidget* ok = entry->findChild<QWidget*>("OKButton");
    EXPECT_TRUE(entry->rect().contains(QRect(ok->mapTo(entry, QPoint()), ok->size())));
    QApplication::setActiveWindow(entry);
    entry->Str_Byte(253)->setFocus();
    QTest::keyClick(entry->Str_Byte(253), Qt::Key_Tab);
    QLineEdit* last = entry->Str_Byte(254);
    ASSERT_EQ(QApplication::focusWidget(), last);
    const QWidget* view = entry->findChild<QScrollArea*>("fieldScroll")->viewport();
    EXPECT_TRUE(view->rect().contains(QRect(last->mapTo(view, QPoint()), last->size())));
}

TEST(ButtonConfiguration, CustomStringsShowInTheMainWindow) {
    Fixture f;
    f.open(4);
    f.enterBytes(f.configure("BtnCnfgTwo_0", "1"), {"x"});
    for (int i = 0; i < kButtonCount; ++i) {
        EXPECT_EQ(f.main.Label4(i)->text(), "Custom");
        EXPECT_FALSE(f.main.Label4(i)->isHidden() || f.main.Combo2(i)->isHidden());
        EXPECT_TRUE(f.main.Label3(i)->isHidden());
    }
    EXPECT_EQ(f.main.Combo2(4)->currentText(), "Custom");
    EXPECT_EQ(f.main.Combo2(3)->currentText(), "");

    // A second custom string changes its own list only.
    f.state.setDeviceLabel(1, "Acme  X1");
    f.open(8);
    f.enterBytes(f.configure("BtnCnfgTwo_0", "1"), {"y"});
    EXPECT_EQ(f.main.Combo2(8)->currentText(), "Custom");
    EXPECT_EQ(f.main.Label4(0)->text(), "Acme  X1");

    // Port one: the labels turn to "Custom" the first time.
    f.enterBytes(f.configure("BtnCnfgOne_0", "1"), {"z"});
    EXPECT_EQ(f.main.Combo1(8)->currentText(), "Custom");
    EXPECT_EQ(f.main.Label3(9)->text(), "Custom");
    EXPECT_FALSE(f.main.Label3(9)->isHidden());
}

TEST(ButtonConfiguration, OkStoresIntoTheTargetSelectedAtThatMoment) {
    Fixture f;
    f.open(0);
    FrmStringEnter* entry = f.configure("BtnCnfgOne_0", "1");
    f.open(7); // the installer switches the window to Button Eight meanwhile
    f.enterBytes(entry, {"5"});
    EXPECT_TRUE(f.state.button(0).commandString1().isEmpty());
    EXPECT_EQ(f.state.button(7).commandString1(), ByteList({53}));
}

TEST(ButtonConfiguration, FinalizeRefreshesTheRelayMenu) {
    Fixture f;
    for (int i = 0; i < kButtonCount; ++i) {
        f.state.updateButton(i,
                             [&](ButtonConfig& record) { record.setRelayInfo(1, RelayMomentary); });
        f.state.updateButton(i,
                             [&](ButtonConfig& record) { record.setRelayInfo(2, RelayMomentary); });
    }
    f.main.CheckRelays();
    QPointer<FrmConfigButtons> dialog = f.open(1);
    f.click("OptRelay2_1");
    EXPECT_TRUE(test::action(f.main, "RL2_1")->isChecked()); // not before "Finalize Configuration"
    f.click("BtnFinalize");
    EXPECT_TRUE(dialog.isNull());
    for (int n = 0; n < kButtonCount; ++n)
        for (int relay = 0; relay < 2; ++relay)
            EXPECT_EQ(
                test::action(f.main, QStringLiteral("RL%1_%2").arg(n + 1).arg(relay))->isChecked(),
                !(n == 1 && relay == 1));
}
