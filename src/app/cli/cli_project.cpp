#include "cli/cli_project.h"

#include "catalogue/catalogue.h"
#include "cli/cli_command.h"
#include "files/qcd_file.h"
#include "project/project_state.h"

#include <QCoreApplication>
#include <QDir>

namespace ondrel::cli {

bool openProjectFile(const QString& path, ProjectState& state) {
    const Catalogue catalogue(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Proj.qdb")));
    const auto opened = openConfiguration(state, path, catalogueDatasetLookup(catalogue));
    if (!opened) {
        err(fileErrorText(path, opened.error()) + QLatin1Char('\n'));
        return false;
    }
    for (const Error& warning : opened.value())
        err(fileErrorText(path,
                          Error{QStringLiteral("warning: ") + warning.message, warning.line}) +
            QLatin1Char('\n'));
    return true;
}

} // namespace ondrel::cli
