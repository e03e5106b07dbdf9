#pragma once

#include "project/project_state.h"
#include "ui/main/frm_main.h"

#include <QAction>
#include <QMenu>
#include <QString>
#include <memory>

class QWidget;

namespace ondrel::shots {

// What every area's shots get: a fresh project with its main window, and a way to save a window.
class Shots {
public:
    explicit Shots(QString dir);
    ~Shots();

    ProjectState& state() { return *state_; }
    ui::FrmMain& mainWindow() { return *main_; }
    // A menu item, or a menu, of the main window by its object name.
    QAction* action(const QString& name) { return main_->findChild<QAction*>(name); }
    QMenu* menu(const QString& name) { return main_->findChild<QMenu*>(name); }

    // Shows `window` (if hidden), lets it lay out and paint, and writes DIR/<name>.png; the name
    // defaults to the window's object name; a pixel ratio draws it as on a scaled screen (2: 200
    // %). Returns false when the file could not be written.
    bool save(QWidget* window, const QString& name = {}, double pixelRatio = 0);
    int failures() const { return failures_; }
    // The folder the images go to, for shots made by other programs (pdftoppm).
    const QString& directory() const { return dir_; }

    // A new project and main window, for areas that must not see another area's changes.
    void reset();

private:
    QString dir_;
    std::unique_ptr<ProjectState> state_;
    std::unique_ptr<ui::FrmMain> main_;
    int failures_ = 0;
};

using ShotsFunction = void (*)(Shots&);

// Each shots_<area>.cpp registers its function once, at static initialisation:
//   namespace { const bool registered = ondrel::shots::registerArea("shell", &shellShots); }
bool registerArea(const char* area, ShotsFunction function);

} // namespace ondrel::shots
