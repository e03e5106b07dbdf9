#include "project/device_options.h"
#include "project/project_state.h"
#include "tools/shutoff_timer.h"

#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {

struct Operation {
    const char* name;
    std::function<void(ProjectState&)> apply;
    bool changes = true; // on a new project
};

ButtonConfig toggleButton() {
    ButtonConfig b;
    b.Button_type = TypeToggle;
    b.setCommandString2(2, ByteList{2, 80});
    return b;
}

const Operation kOperations[] = {
    {"setButton", [](ProjectState& s) { s.setButton(2, toggleButton()); }},
    {"updateButton",
     [](ProjectState& s) { s.updateButton(4, [](ButtonConfig& b) { b.Incr = 1; }); }},
    {"setPort",
     [](ProjectState& s) {
         s.setPort(1, CommSets{9600, 1, 8, "NONE", 2});
     }},
    {"updatePort", [](ProjectState& s) { s.updatePort(0, [](CommSets& p) { p.prsentAs = 2; }); }},
    {"setDeviceNames", [](ProjectState& s) { s.setDeviceNames(1, "Maker B", "Model 9"); }},
    {"setDeviceLabel", [](ProjectState& s) { s.setDeviceLabel(0, "Maker A Model 1"); }},
    {"setDeviceLabelVisible", [](ProjectState& s) { s.setDeviceLabelVisible(1, true); }},
    {"restoreDeviceLabel", [](ProjectState& s) { s.restoreDeviceLabel(1, "Maker B Model 9"); }},
    {"restoreDeviceLabel placeholder",
     [](ProjectState& s) { s.restoreDeviceLabel(0, ProjectState::labelPlaceholder(0)); }, false},
    {"setCommandText", [](ProjectState& s) { s.setCommandText(1, 5, "Off"); }},
    {"showCustomCommand", [](ProjectState& s) { s.showCustomCommand(0, 3); }},
    {"fillCommandLists",
     [](ProjectState& s) {
         s.fillCommandLists(0, {"", "On"}, 7);
     }},
    {"setDeviceNum", [](ProjectState& s) { s.setDeviceNum(1); }},
    {"setProtocolNumber", [](ProjectState& s) { s.setProtocolNumber(42); }},
    {"setRs232Option", [](ProjectState& s) { s.setRs232Option(3); }},
    {"setTimerMinutes", [](ProjectState& s) { s.setTimerMinutes(90.0); }},
    {"setTimerTexts",
     [](ProjectState& s) {
         s.setTimerTexts({"1:30", "1:08", "0:45", "0:22"});
     }},
    {"setKdxDevicePresent", [](ProjectState& s) { s.setKdxDevicePresent(true); }},
    {"setKdxCode", [](ProjectState& s) { s.setKdxCode(11, 54); }},
    {"setUploadPort", [](ProjectState& s) { s.setUploadPort(2); }},
    {"setCommandList2Visible", [](ProjectState& s) { s.setCommandList2Visible(true); }},
    {"setSecondProjectorEnabled", [](ProjectState& s) { s.setSecondProjectorEnabled(true); }},
    {"setPort1SelectDisabled", [](ProjectState& s) { s.setPort1SelectDisabled(true); }},
    {"setCurrentFileName (not configuration)",
     [](ProjectState& s) { s.setCurrentFileName("room.qcd"); }, false},
    // Core operations that change several things at once.
    {"core setKdxDevicePresent", [](ProjectState& s) { setKdxDevicePresent(s, true); }},
    {"core setSecondProjectorEnabled", [](ProjectState& s) { setSecondProjectorEnabled(s, true); }},
    {"core setSecondProjectorEnabled off",
     [](ProjectState& s) { setSecondProjectorEnabled(s, false); }, false},
    {"core setUploadPort", [](ProjectState& s) { setUploadPort(s, 3); }},
    {"core setShutOffTimer", [](ProjectState& s) { setShutOffTimer(s, 90); }},
};

} // namespace

TEST(ProjectState, EachOperationTellsTheViewsOnceWhenItChangesSomethingAndNeverOtherwise) {
    for (const Operation& op : kOperations) {
        ProjectState state;
        QSignalSpy changed(&state, &ProjectState::changed);
        QSignalSpy modified(&state, &ProjectState::modifiedChanged);
        op.apply(state);
        EXPECT_EQ(changed.count(), op.changes ? 1 : 0) << op.name;
        EXPECT_EQ(modified.count(), op.changes ? 1 : 0) << op.name;
        EXPECT_EQ(state.isModified(), op.changes) << op.name;

        // The same operation again, on a saved project: nothing changes.
        state.setUnmodified();
        changed.clear();
        modified.clear();
        op.apply(state);
        EXPECT_EQ(changed.count(), 0) << op.name;
        EXPECT_EQ(modified.count(), 0) << op.name;
        EXPECT_FALSE(state.isModified()) << op.name;
    }
}

TEST(ProjectState, ABatchTellsOnceAtItsOutermostEndAndAValueInAnotherFormIsAChange) {
    ProjectState state;
    QSignalSpy changed(&state, &ProjectState::changed);
    {
        const ProjectState::Batch outer(state);
        state.setCommandText(0, 1, "On");
        {
            const ProjectState::Batch inner(state);
            state.setUploadPort(2);
        }
        state.updatePort(0, [](CommSets& p) { p.BaudRate = 9600; });
        EXPECT_EQ(changed.count(), 0);
        EXPECT_FALSE(state.isModified());
    }
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(state.isModified());
    {
        const ProjectState::Batch nothing(state);
        state.setUploadPort(2);
    }
    EXPECT_EQ(changed.count(), 1);
    // " 9600" denotes the same rate but is stored and shown as it stands.
    state.updatePort(0, [](CommSets& p) { p.BaudRate = " 9600"; });
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(state.port(0).BaudRate.toText(), " 9600");
}
