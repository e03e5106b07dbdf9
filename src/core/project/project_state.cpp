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
