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

Result<ConfigImage> buildProjectImage(const QString& path, const ProjectState& state,
                                      int* warnings) {
    Result<ConfigImage> image = BuildConfigImage(state);
    if (!image)
        return image;
    for (const QString& warning : image.value().warnings)
        err(fileErrorText(path, Error{QStringLiteral("warning: ") + warning, 0}) +
            QLatin1Char('\n'));
    if (warnings)
        *warnings += static_cast<int>(image.value().warnings.size());
    return image;
}

} // namespace ondrel::cli
