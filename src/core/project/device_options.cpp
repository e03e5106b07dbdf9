#include "project/device_options.h"

namespace ondrel {

void setKdxDevicePresent(ProjectState& state, bool present) {
    if (present) {
        for (size_t i = 0; i < kKdxKeyCodes.size(); ++i) {
            state.kdxCodeTable[i] = kKdxLeadIn;
            state.kdxCodeTable[i + 11] = kKdxKeyCodes[i];
        }
    }
    state.kdxDevicePresent = present;
    state.touch();
}

void setSecondProjectorEnabled(ProjectState& state, bool enabled) {
    state.secondProjectorEnabled = enabled;
    state.commandList2Visible = enabled;
    if (!enabled) {
        for (int i = 0; i < kButtonCount; ++i)
            state.editButton(i).disablePrt2();
        state.deviceLabel2Visible = false;
    }
    state.touch();
}

void setUploadPort(ProjectState& state, int port) {
    if (port < 1 || port > 3)
        return;
    state.uploadPort = port;
    state.touch();
}

} // namespace ondrel
