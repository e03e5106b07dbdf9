#pragma once

#include <QString>

namespace ondrel {
class ProjectState;
}

namespace ondrel::cli {

// Opens a configuration file as the main window's "&Open" does, with the catalogue beside the
// program. Problems go to standard error as "FILE:LINE: message"; false when the file did not open
// (catalogue lookups that fail and skipped lines are warnings only, as in the main window); their
// number goes to `warnings` when given.
bool openProjectFile(const QString& path, ProjectState& state, int* warnings = nullptr);

} // namespace ondrel::cli
