#include "project/device_options.h"

namespace ondrel {

void setKdxDevicePresent(ProjectState& state, bool present) {
    const ProjectState::Batch batch(state);
    if (present) {
        for (size_t i = 0; i < kKdxKeyCodes.size(); ++i) {
            state.setKdxCode(static_cast<int>(i), kKdxLeadIn);
            state.setKdxCode(static_cast<int>(i) + 11, kKdxKeyCodes[i]);
        }
    }
    state.setKdxDevicePresent(present);
}

void setSecondProjectorEnabled(ProjectState& state, bool enabled) {
    const ProjectState::Batch batch(state);
    state.setSecondProjectorEnabled(enabled);
    state.setCommandList2Visible(enabled);
    if (!enabled) {
        for (int i = 0; i < kButtonCount; ++i)
            state.updateButton(i, [](ButtonConfig& record) { record.disablePrt2(); });
        state.setDeviceLabelVisible(1, false);
    }
}

void setUploadPort(ProjectState& state, int port) {
    if (port < 1 || port > 3)
        return;
    state.setUploadPort(port);
}

} // namespace ondrel
