#pragma once

#include "project/project_state.h"

#include <array>

namespace ondrel {

// Key character the KDX device sends for each button (entries 11 to 20 of the code table);
// entries 0 to 9 all hold 126, the "~" that introduces a key.
inline constexpr std::array<int, kButtonCount> kKdxKeyCodes{54, 55, 43, 49, 51, 53, 45, 50, 52, 56};
inline constexpr int kKdxLeadIn = 126;

// "Enable KDX Device": enabling (re)writes the code table; disabling keeps it as it was.
void setKdxDevicePresent(ProjectState& state, bool present);

// "Enable Second Projector": disabling hides device #2's lists and labels and empties every
// button's port-two command strings; enabling shows the lists again, not the labels or strings.
void setSecondProjectorEnabled(ProjectState& state, bool enabled);

// The PC serial port (1 to 3) that programs the panel.
void setUploadPort(ProjectState& state, int port);

} // namespace ondrel
