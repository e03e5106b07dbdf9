#pragma once

#include "project/button_config.h"
#include "project/comm_sets.h"
#include "project/project_state.h"

#include <QString>
#include <array>
#include <optional>

namespace ondrel {

// The type text the simulator shows for a record's button type; unknown codes read "Not Defined".
QString simulatorTypeText(const Value& buttonType);
// "On", "Off", "Mommentary", "No Change"; nothing for a value without a text.
std::optional<QString> simulatorRelayText(const Value& action);
// The serial settings for a control port: baud rate, "e" for even parity or "n", then ",8,1"
// ("9600,e,8,1"). Nothing when the baud rate is no number above 0.
std::optional<QString> simulatorSettingsText(const CommSets& port);
// The log line for choosing control port `index` (0 or 1).
QString simulatorPortLine(int index, const CommSets& port);
// The upload list the simulator sends for control port `simPort` (0, 1) and `function` (0
// primary, 1 secondary).
const ByteList& simulatorString(const UploadStrings& lists, int simPort, int function);

// What one press asks the window to do.
struct SimulatorPress {
    bool refused = false;        // the control is off and this is no "On" button
    std::optional<int> function; // the string to send: 0 primary, 1 secondary
};

// The panel's button logic: the control is switched on by "On" buttons and off by "Off"
// buttons, "Toggle" buttons alternate their two strings, "Source" buttons light exclusively and
// "Momentary" buttons light until released. Types are read from the texts the window shows at
// the moment of the press.
class SimulatorPanel {
public:
    using TypeTexts = std::array<QString, kButtonCount>;

    bool controlOn() const { return controlOn_; }
    bool isLit(int button) const { return lit_.at(static_cast<size_t>(button)); }

    SimulatorPress press(int button, const TypeTexts& types, const ProjectState& state);
    // Unlights every "Momentary" button (a second after a press).
    void releaseMomentary(const TypeTexts& types);

private:
    void clearSources(const TypeTexts& types, const ProjectState& state);

    bool controlOn_ = false;
    std::array<bool, kButtonCount> lit_{};
};

} // namespace ondrel
