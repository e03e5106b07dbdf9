#include "project/project_state.h"
#include "ui/main/frm_main.h"

#include <QAction>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::ui::FrmMain;

namespace {

QAction* relayItem(FrmMain& main, int buttonNumber, int index) {
    auto* a = main.findChild<QAction*>(QStringLiteral("RL%1_%2").arg(buttonNumber).arg(index));
    EXPECT_NE(a, nullptr);
    return a;
}

} // namespace

TEST(RelayMenu, ClicksCycleMomentaryAndOffAndMarksFollowTheRecords) {
    ProjectState state;
    state.updateButton(4, [&](ButtonConfig& record) { record.setRelayInfo(1, RelayOn); });
    FrmMain main(state);
    // No Change and On show no mark; a click makes them Momentary, unchecking gives Off.
    for (int button : {1, 5}) {
        QAction* item = relayItem(main, button, 0);
        for (const auto& [checked, action] : {std::pair{false, -1},
                                              {true, RelayMomentary},
                                              {false, RelayOff},
                                              {true, RelayMomentary}}) {
            EXPECT_EQ(item->isChecked(), checked) << button;
            if (action >= 0) {
                EXPECT_EQ(state.button(button - 1).getRelay1St(0), Value(action)) << button;
            }
            item->trigger();
        }
    }
    EXPECT_TRUE(state.isModified());
    // Relay two of button Ten; the secondary function's relays are never touched.
    relayItem(main, 10, 1)->trigger();
    EXPECT_EQ(state.button(9).getRelay2St(0), Value(RelayMomentary));
    EXPECT_EQ(state.button(9).getRelay1St(0), Value(RelayNoChange));
    EXPECT_EQ(state.button(9).getRelay2St(1), Value(RelayOff));
}
