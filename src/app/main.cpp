#include "check_install.h"
#include "project/project_state.h"
#include "ui/frm_main.h"
#include "ui/intro.h"
#include "ui/window_placement.h"

#include <QApplication>
#include <QTextStream>

#ifdef Q_OS_WIN
#include <cstdio>
#include <windows.h>

namespace {

// ondrel.exe is a windowed program, so a command prompt gives it no console: --check-install
// writes its report into the prompt's console unless the output was redirected.
void reportToParentConsole() {
    if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN)
        return; // redirected to a file or a pipe
    if (AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", stdout);
}

} // namespace
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondrel"));
    // Modeless windows may still be open when the main window closes; the run ends with it.
    QApplication::setQuitOnLastWindowClosed(false);

    ondrel::ProjectState state;
    if (QApplication::arguments().contains(QStringLiteral("--check-install"))) {
        // The main window is built, never shown: it loads the same plugins and data a real start
        // does.
        ondrel::ui::FrmMain hidden(state);
#ifdef Q_OS_WIN
        reportToParentConsole();
#endif
        QTextStream out(stdout);
        return ondrel::checkInstall(out) ? 0 : 1;
    }

    ondrel::ui::keepWindowsInsideWorkArea(app);
    ondrel::ui::FrmMain mainWindow(state);
    mainWindow.applyScreenWorkArea();
    QObject::connect(&mainWindow, &ondrel::ui::FrmMain::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    auto* intro = new ondrel::ui::Intro(&mainWindow);
    intro->show();
    return app.exec();
}
