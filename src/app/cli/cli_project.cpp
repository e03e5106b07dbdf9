#include "cli/cli_project.h"

#include "app_paths.h"
#include "catalogue/catalogue.h"
#include "catalogue/user_catalogue.h"
#include "cli/cli_command.h"
#include "files/qcd_file.h"
#include "project/project_state.h"

namespace ondrel::cli {

bool openProjectFile(const QString& path, ProjectState& state, int* warnings) {
    const Catalogue catalogue(catalogPath(), userCataloguePath()); // shipped and own models
    const auto opened = openConfiguration(state, path, catalogueDatasetLookup(catalogue));
    if (!opened) {
        err(fileErrorText(path, opened.error()) + QLatin1Char('\n'));
        return false;
    }
    for (const Error& warning : opened.value())
        err(fileErrorText(path,
                          Error{QStringLiteral("warning: ") + warning.message, warning.line}) +
            QLatin1Char('\n'));
    if (warnings)
        *warnings = static_cast<int>(opened.value().size());
    return true;
}

} // namespace ondrel::cli
