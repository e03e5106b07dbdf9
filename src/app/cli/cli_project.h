#pragma once

#include "programming/config_image.h"
#include "result.h"

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

// The configuration image of the file `path` opened into `state`, as an upload builds it. Its
// warnings go to standard error as "FILE: warning: message" and are added to `warnings` when
// given; a refusal is for the caller to word.
Result<ConfigImage> buildProjectImage(const QString& path, const ProjectState& state,
                                      int* warnings = nullptr);

} // namespace ondrel::cli
