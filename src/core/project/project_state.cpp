#include "project/project_state.h"

namespace ondrel {

namespace {

// Exact sameness: a value that reads as the same number in another form (" 9600" for 9600)
// still differs, since files and views show it as it stands.
bool same(const Value& a, const Value& b) {
    return a.isUnset() == b.isUnset() && a.holdsNumber() == b.holdsNumber() &&
           a.toText() == b.toText();
}

bool same(const CommSets& a, const CommSets& b) {
    return same(a.BaudRate, b.BaudRate) && same(a.StopBit, b.StopBit) &&
           same(a.TransmitFormat, b.TransmitFormat) && same(a.Parity, b.Parity) &&
           same(a.prsentAs, b.prsentAs);
}

bool same(const ButtonConfig& a, const ButtonConfig& b) {
    const RelayInfo ra = a.getRelayInfo();
    const RelayInfo rb = b.getRelayInfo();
    return same(a.Incr, b.Incr) && same(a.Repeatng, b.Repeatng) &&
           same(a.Button_type, b.Button_type) && same(a.clrWthSrc, b.clrWthSrc) &&
           same(ra.relay1, rb.relay1) && same(ra.relay2, rb.relay2) &&
           same(ra.relay1_2, rb.relay1_2) && same(ra.relay2_2, rb.relay2_2) &&
           a.getDualFunction() == b.getDualFunction() && a.commandString1() == b.commandString1() &&
           a.commandString1_2() == b.commandString1_2() &&
           a.commandString2() == b.commandString2() && a.commandString2_2() == b.commandString2_2();
}

template <typename T> bool same(const T& a, const T& b) {
    return a == b;
}

} // namespace

ProjectState::ProjectState(QObject* parent) : QObject(parent) {
    for (int device = 0; device < 2; ++device)
        editDevice(device).label = labelPlaceholder(device);
}

ProjectState::Batch::Batch(ProjectState& state) : state_(state) {
    ++state_.batchDepth_;
}

ProjectState::Batch::~Batch() {
    if (--state_.batchDepth_ > 0 || !state_.batchChanged_)
        return;
    state_.batchChanged_ = false;
    state_.changedNow();
}

template <typename T> void ProjectState::assign(T& field, const T& value) {
    if (same(field, value))
        return;
    field = value;
    changedNow();
}

void ProjectState::changedNow() {
    if (batchDepth_ > 0) {
        batchChanged_ = true;
        return;
    }
    markModified();
    emit changed();
}

void ProjectState::setButton(int index, const ButtonConfig& config) {
    assign(buttons_.at(static_cast<size_t>(index)), config);
}

void ProjectState::updateButton(int index, const std::function<void(ButtonConfig&)>& change) {
    ButtonConfig config = button(index);
    change(config);
    setButton(index, config);
}

void ProjectState::setPort(int index, const CommSets& settings) {
    assign(ports_.at(static_cast<size_t>(index)), settings);
}

void ProjectState::updatePort(int index, const std::function<void(CommSets&)>& change) {
    CommSets settings = port(index);
    change(settings);
    setPort(index, settings);
}

void ProjectState::setDeviceNames(int device, const QString& manufacturer, const QString& model) {
    const Batch batch(*this);
    assign(editDevice(device).manufacturer, manufacturer);
    assign(editDevice(device).model, model);
}

void ProjectState::setDeviceLabel(int device, const QString& caption) {
    const Batch batch(*this);
    assign(editDevice(device).label, caption);
    assign(editDevice(device).labelVisible, true);
}

void ProjectState::setDeviceLabelVisible(int device, bool visible) {
    assign(editDevice(device).labelVisible, visible);
}

void ProjectState::restoreDeviceLabel(int device, const QString& caption) {
    if (caption == labelPlaceholder(device))
        return;
    const Batch batch(*this);
    setDeviceLabel(device, caption);
    if (device == 1)
        setCommandList2Visible(true);
}

void ProjectState::setCommandText(int device, int button, const QString& text) {
    assign(editDevice(device).commandTexts.at(static_cast<size_t>(button)), text);
}

void ProjectState::showCustomCommand(int device, int button) {
    const QString custom = QStringLiteral("Custom");
    const Batch batch(*this);
    setCommandText(device, button, custom);
    if (this->device(device).label == labelPlaceholder(device))
        restoreDeviceLabel(device, custom);
}

void ProjectState::fillCommandLists(int device, const QStringList& items, const Value& protocol) {
    const Batch batch(*this);
    DeviceView& view = editDevice(device);
    assign(view.commandItems, items);
    assign(view.protocol, protocol);
    std::array<QString, kButtonCount> empty;
    assign(view.commandTexts, empty);
}

void ProjectState::setDeviceNum(int device) {
    assign(deviceNum_, device);
}

void ProjectState::setProtocolNumber(const Value& protocol) {
    assign(protocolNumber_, protocol);
}

void ProjectState::setRs232Option(const Value& option) {
    assign(rs232Option_, option);
}

void ProjectState::setTimerMinutes(const std::optional<double>& minutes) {
    assign(timerMinutes_, minutes);
}

void ProjectState::setTimerTexts(const std::array<QString, 4>& texts) {
    assign(timerTexts_, texts);
}

void ProjectState::setKdxDevicePresent(bool present) {
    assign(kdxDevicePresent_, present);
}

void ProjectState::setKdxCode(int index, int code) {
    assign(kdxCodeTable_.at(static_cast<size_t>(index)), code);
}

void ProjectState::setUploadPort(int port) {
    assign(uploadPort_, port);
}

void ProjectState::setCommandList2Visible(bool visible) {
    assign(commandList2Visible_, visible);
}

void ProjectState::setSecondProjectorEnabled(bool enabled) {
    assign(secondProjectorEnabled_, enabled);
}

void ProjectState::setPort1SelectDisabled(bool disabled) {
    assign(port1SelectDisabled_, disabled);
}

void ProjectState::setCurrentFileName(const QString& name) {
    currentFileName_ = name;
}

void ProjectState::markModified() {
    if (modified_)
        return;
    modified_ = true;
    emit modifiedChanged(true);
}

void ProjectState::setUnmodified() {
    if (!modified_)
        return;
    modified_ = false;
    emit modifiedChanged(false);
}

} // namespace ondrel
