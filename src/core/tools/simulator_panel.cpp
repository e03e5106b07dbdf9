#include "tools/simulator_panel.h"
#include "serial/parity.h"

namespace ondrel {
namespace {
const QString kOn = QStringLiteral("On");
const QString kOff = QStringLiteral("Off");
const QString kSource = QStringLiteral("Source");
const QString kMomentary = QStringLiteral("Momentary");
const QString kToggle = QStringLiteral("Toggle");
} // namespace

QString simulatorTypeText(const Value& buttonType) {
    const auto n = buttonType.toInteger();
    if (!n || *n < TypeOn || *n > TypeToggle)
        return QStringLiteral("Not Defined");
    return buttonTypeCaption(static_cast<int>(*n));
}

std::optional<QString> simulatorRelayText(const Value& action) {
    switch (action.toInteger().value_or(-1)) {
    case RelayOn:
        return kOn;
    case RelayOff:
        return kOff;
    case RelayMomentary:
        return QStringLiteral("Mommentary");
    case RelayNoChange:
        return QStringLiteral("No Change");
    default:
        return std::nullopt;
    }
}

std::optional<QString> simulatorSettingsText(const CommSets& port) {
    const auto baud = port.BaudRate.toInteger();
    if (!baud || *baud <= 0)
        return std::nullopt;
    const QChar parity = parityOrNone(port.Parity.toText()) == Parity::Even ? u'e' : u'n';
    return QStringLiteral("%1,%2,8,1").arg(*baud).arg(parity);
}

QString simulatorPortLine(int index, const CommSets& port) {
    if (port.BaudRate.isEmpty())
        return QStringLiteral("Port %1 Is not currently set up!").arg(index + 1);
    return QStringLiteral("Control Port %1,  Baud Rate: %2")
        .arg(index + 1)
        .arg(port.BaudRate.toText());
}

const ByteList& simulatorString(const UploadStrings& lists, int simPort, int function) {
    if (simPort == 0)
        return function == 0 ? lists.UploadString1 : lists.UploadString1_2;
    return function == 0 ? lists.UploadString2 : lists.UploadString2_2;
}

SimulatorPress SimulatorPanel::press(int button, const TypeTexts& types,
                                     const ProjectState& state) {
    const auto i = static_cast<size_t>(button);
    const QString& type = types.at(i);
    SimulatorPress out;
    if (!controlOn_) {
        if (type != kOn) {
            out.refused = true;
            return out;
        }
        controlOn_ = true;
        lit_[i] = true;
        out.function = 0;
        return out;
    }
    if (type == kSource)
        clearSources(types, state);
    if (type == kToggle) {
        out.function = lit_[i] ? 1 : 0;
        lit_[i] = !lit_[i];
        return out;
    }
    lit_[i] = true;
    out.function = 0;
    if (type == kOff) {
        lit_.fill(false);
        controlOn_ = false;
    }
    return out;
}

void SimulatorPanel::releaseMomentary(const TypeTexts& types) {
    for (size_t i = 0; i < lit_.size(); ++i)
        if (types[i] == kMomentary)
            lit_[i] = false;
}

void SimulatorPanel::clearSources(const TypeTexts& types, const ProjectState& state) {
    for (size_t i = 0; i < lit_.size(); ++i)
        if (types[i] == kSource || state.button(static_cast<int>(i)).clrWthSrc.toInteger() == 1)
            lit_[i] = false;
}

} // namespace ondrel
