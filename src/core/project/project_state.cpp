#include "project/project_state.h"

namespace ondrel {

ProjectState::ProjectState(QObject* parent) : QObject(parent) {}

ButtonConfig& ProjectState::editButton(int index) {
    markModified();
    return buttons_.at(static_cast<size_t>(index));
}

CommSets& ProjectState::editPort(int index) {
    markModified();
    return ports_.at(static_cast<size_t>(index));
}

void ProjectState::setDeviceLabel(int device, const QString& caption) {
    if (caption == labelPlaceholder(device))
        return;
    (device == 0 ? deviceLabel1 : deviceLabel2) = caption;
    (device == 0 ? deviceLabel1Visible : deviceLabel2Visible) = true;
    if (device == 1)
        commandList2Visible = true;
    touch();
}

void ProjectState::setCommandText(int device, int button, const QString& text) {
    (device == 0 ? commandText1 : commandText2).at(static_cast<size_t>(button)) = text;
    touch();
}

void ProjectState::showCustomCommand(int device, int button) {
    const QString custom = QStringLiteral("Custom");
    (device == 0 ? commandText1 : commandText2).at(static_cast<size_t>(button)) = custom;
    if ((device == 0 ? deviceLabel1 : deviceLabel2) == labelPlaceholder(device))
        setDeviceLabel(device, custom);
    touch();
}

void ProjectState::setPort(int index, const CommSets& settings) {
    ports_.at(static_cast<size_t>(index)) = settings;
    touch();
}

void ProjectState::markModified() {
    if (modified_)
        return;
    modified_ = true;
    emit modifiedChanged(true);
}

void ProjectState::touch() {
    markModified();
    emit changed();
}

void ProjectState::setUnmodified() {
    if (!modified_)
        return;
    modified_ = false;
    emit modifiedChanged(false);
}

} // namespace ondrel
