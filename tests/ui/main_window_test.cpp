#include "project/project_state.h"
#include "support/ui_helpers.h"
#include "ui/buttons/frm_config_buttons.h"
#include "ui/main/frm_main.h"
#include "ui/settings/frm_control_port_settings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::ui::FrmMain;

TEST(FrmMain, StartsWithHiddenLabelsEmptyListsAndOneUploadPortMarked) {
    ProjectState state;
    FrmMain main(state);
    for (int i = 0; i < kButtonCount; ++i) {
        EXPECT_TRUE(main.Label3(i)->isHidden() && main.Label4(i)->isHidden()) << i;
        EXPECT_TRUE(main.Combo2(i)->isHidden()) << i;
        EXPECT_EQ(main.Combo1(i)->count() + main.Combo2(i)->count(), 0) << i;
    }
    EXPECT_FALSE(test::action(main, "mnuControl_1")->isEnabled());
    EXPECT_FALSE(state.isModified());
    test::action(main, "uploadport_3")->trigger();
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(test::action(main, QStringLiteral("uploadport_%1").arg(p))->isChecked(), p == 3)
            << p;
    EXPECT_EQ(state.uploadPort(), 3);
    test::action(main, "mnuKdx")->trigger();
    EXPECT_TRUE(state.kdxDevicePresent() && test::action(main, "mnuKdx")->isChecked());
    EXPECT_EQ(state.kdxCodeTable()[13], 43);
}

TEST(FrmMain, RendersTheViewStateOfTheProject) {
    ProjectState state;
    FrmMain main(state);
    int edits = 0;
    QObject::connect(main.Combo1(3), &QComboBox::editTextChanged, [&] { ++edits; });
    state.setCommandText(0, 3, "Power On");
    state.setCommandText(1, 9, "Input 2");
    state.setDeviceLabel(0, "Acme  X1");
    state.setDeviceLabelVisible(0, true);
    state.setCommandList2Visible(true);
    state.setSecondProjectorEnabled(true);
    state.setPort1SelectDisabled(true);
    state.setTimerTexts({"60", "45", "30", "15"});

    EXPECT_EQ(main.Combo1(3)->currentText(), "Power On");
    EXPECT_EQ(edits, 0); // rendering is not an edit by the user
    EXPECT_EQ(main.Combo2(9)->currentText(), "Input 2");
    EXPECT_FALSE(main.Combo2(9)->isHidden());
    EXPECT_EQ(main.Label3(0)->text(), "Acme  X1");
    EXPECT_FALSE(main.Label3(0)->isHidden());
    EXPECT_TRUE(main.Label4(0)->isHidden());
    EXPECT_TRUE(test::action(main, "mnuEnable2")->isChecked());
    EXPECT_TRUE(test::action(main, "mnuControl_1")->isEnabled());
    EXPECT_FALSE(test::action(main, "mnuControl_0")->isEnabled());
    EXPECT_EQ(main.Text1(2)->text(), "30");
}

TEST(FrmMain, ExitClosesEveryOtherWindowToo) {
    ProjectState state;
    FrmMain main(state);
    main.show();
    int closed = 0;
    QObject::connect(&main, &FrmMain::closed, [&] { ++closed; });
    main.closeGuard = nullptr; // no save prompt
    QWidget* portSettings = main.showPortSettings(0);
    QWidget* configuration = main.openButtonConfiguration(2);
    EXPECT_TRUE(portSettings->isVisible());
    test::action(main, "mnuExit")->trigger();
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(closed, 1);
    // Every other window goes with it.
    EXPECT_FALSE(portSettings->isVisible());
    EXPECT_FALSE(configuration->isVisible());
}
