#include "project/project_state.h"
#include "ui/frm_config_buttons.h"
#include "ui/frm_control_port_settings.h"
#include "ui/frm_main.h"
#include "ui/intro.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::ui::FrmMain;

namespace {

template <typename T> T* find(QObject& root, const QString& name) {
    T* child = root.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << qPrintable(name);
    return child;
}

} // namespace

TEST(FrmMain, StartsWithDefaultRecordsHiddenLabelsAndEmptyLists) {
    ProjectState state;
    FrmMain main(state);
    EXPECT_EQ(main.windowTitle(), "Corvane Ondrel   Version: 1.0.0[*]"); // [*]: modified mark
    for (int i = 0; i < kButtonCount; ++i) {
        EXPECT_EQ(state.button(i), ButtonConfig());
        auto* label3 = find<QLabel>(main, QStringLiteral("Label3_%1").arg(i));
        auto* label4 = find<QLabel>(main, QStringLiteral("Label4_%1").arg(i));
        EXPECT_TRUE(label3->isHidden());
        EXPECT_TRUE(label4->isHidden());
        EXPECT_EQ(label3->text(), "Label3");
        EXPECT_EQ(label4->text(), "Label4");
        for (const char* list : {"Combo1_%1", "Combo2_%1"}) {
            auto* combo = find<QComboBox>(main, QString::fromLatin1(list).arg(i));
            EXPECT_EQ(combo->count(), 0);
            EXPECT_TRUE(combo->currentText().isEmpty());
            EXPECT_TRUE(combo->isEditable());
        }
        EXPECT_TRUE(find<QComboBox>(main, QStringLiteral("Combo2_%1").arg(i))->isHidden());
        EXPECT_EQ(find<QPushButton>(main, QStringLiteral("cmdReConfig_%1").arg(i))->text(),
                  "View Button Detail/Reconfigure");
    }
    EXPECT_EQ(find<QGroupBox>(main, "frmButton_0")->title(), "Button One");
    EXPECT_EQ(find<QGroupBox>(main, "frmButton_9")->title(), "Button Ten");
    EXPECT_FALSE(state.isModified());
}

TEST(FrmMain, MenuBarStartStates) {
    ProjectState state;
    FrmMain main(state);
    for (const char* name :
         {"mnuOpenFile", "mnuSave", "mnuSaveas", "mnuExit", "mnuPort_0", "mnuPort_1", "mnuKdx",
          "mnuControl_0", "mnuEnable2", "mnuSetupTimer", "uploadport_2", "uploadport_3",
          "mnuUpload", "mnuRestore", "mnuViewDta", "mnuFrmWare", "mnuLabelLayout", "mnuIncmDta",
          "mnuSim"}) {
        auto* action = find<QAction>(main, QString::fromLatin1(name));
        EXPECT_TRUE(action->isEnabled()) << name;
        EXPECT_FALSE(action->isChecked()) << name;
    }
    EXPECT_FALSE(find<QAction>(main, "mnuControl_1")->isEnabled());
    EXPECT_TRUE(find<QAction>(main, "uploadport_1")->isChecked());
    EXPECT_EQ(find<QAction>(main, "mnuExit")->text(), "E&xit");
    EXPECT_EQ(find<QAction>(main, "mnuLabelLayout")->text(), " Layout");
    EXPECT_EQ(find<QMenu>(main, "mnuFike")->title(), "&File");
    EXPECT_EQ(find<QMenu>(main, "Relays")->title(), "Setup &Relays");
    EXPECT_EQ(find<QMenu>(main, "RB_4")->title(), "Button Five");
    EXPECT_EQ(find<QAction>(main, "RL10_1")->text(), "Relay Two");

    find<QAction>(main, "uploadport_3")->trigger();
    int marks = 0;
    for (int p = 1; p <= 3; ++p)
        marks += find<QAction>(main, QStringLiteral("uploadport_%1").arg(p))->isChecked();
    EXPECT_EQ(marks, 1);
    EXPECT_TRUE(find<QAction>(main, "uploadport_3")->isChecked());
}

TEST(FrmMain, RendersTheViewStateOfTheProject) {
    ProjectState state;
    FrmMain main(state);
    int edits = 0;
    QObject::connect(main.Combo1(3), &QComboBox::editTextChanged, [&] { ++edits; });
    state.commandText1[3] = "Power On";
    state.commandText2[9] = "Input 2";
    state.deviceLabel1 = "Acme  X1";
    state.deviceLabel1Visible = true;
    state.commandList2Visible = true;
    state.secondProjectorEnabled = true;
    state.port1SelectDisabled = true;
    state.timerTexts = {"60", "45", "30", "15"};
    state.touch();

    EXPECT_EQ(main.Combo1(3)->currentText(), "Power On");
    EXPECT_EQ(edits, 0); // rendering is not an edit by the user
    EXPECT_EQ(main.Combo2(9)->currentText(), "Input 2");
    EXPECT_FALSE(main.Combo2(9)->isHidden());
    EXPECT_EQ(main.Label3(0)->text(), "Acme  X1");
    EXPECT_FALSE(main.Label3(0)->isHidden());
    EXPECT_TRUE(main.Label4(0)->isHidden());
    EXPECT_TRUE(main.mnuEnable2->isChecked());
    EXPECT_TRUE(main.mnuControl[1]->isEnabled());
    EXPECT_FALSE(main.mnuControl[0]->isEnabled());
    EXPECT_EQ(find<QLineEdit>(main, "Text1_2")->text(), "30");
}

TEST(FrmMain, TimerDisplayClicksAskForTheTimerDialog) {
    ProjectState state;
    FrmMain main(state);
    int clicks = 0;
    QObject::connect(&main, &FrmMain::timerDisplayClicked, [&] { ++clicks; });
    main.mnuSetupTimer->trigger();
    EXPECT_EQ(clicks, 1);
}

TEST(FrmMain, ExitClosesUnlessTheGuardSaysNo) {
    ProjectState state;
    FrmMain main(state);
    main.show();
    int closed = 0;
    QObject::connect(&main, &FrmMain::closed, [&] { ++closed; });
    main.closeGuard = [] { return false; };
    main.mnuExit->trigger();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(closed, 0);
    main.closeGuard = nullptr;
    QWidget* portSettings = main.showPortSettings(0);
    QWidget* configuration = main.openButtonConfiguration(2);
    EXPECT_TRUE(portSettings->isVisible());
    main.mnuExit->trigger();
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(closed, 1);
    // Every other window goes with it.
    EXPECT_FALSE(portSettings->isVisible());
    EXPECT_FALSE(configuration->isVisible());
}

TEST(Intro, ShowsTheVersionThenTheMainWindow) {
    QWidget next;
    auto* intro = new ui::Intro(&next);
    intro->show();
    EXPECT_EQ(intro->findChild<QLabel*>("Label4")->text(), "1.0.0");
    EXPECT_EQ(intro->findChild<QLabel*>("Label2")->text(), "Software Version:");
    EXPECT_EQ(intro->Timer1()->interval(), 5000);
    EXPECT_TRUE(intro->Timer1()->isSingleShot());
    QPointer<ui::Intro> watch(intro);
    intro->Timer1()->start(1);
    QElapsedTimer clock;
    clock.start();
    while (watch && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(next.isVisible());
    EXPECT_TRUE(watch.isNull()); // closed and deleted
}
