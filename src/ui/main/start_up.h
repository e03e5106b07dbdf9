#pragma once

#include <QString>
#include <QStringList>

namespace ondrel::ui {

class FrmMain;

// What the window program's command line asks for: "ondrel [FILE.qcd]", "ondrel --check-install",
// "ondrel --help", "ondrel --version".
struct StartRequest {
    enum class Kind { Window, CheckInstall, Help, Version, UsageError };
    Kind kind = Kind::Window;
    QString file; // the configuration file to open, absolute; empty for a new configuration
    QString text; // what to print: the help, the version line or the usage error
};

// Reads the arguments (the program's name first). Needs no QApplication, so that --help and
// --version answer where no display is.
StartRequest parseStartArguments(const QStringList& arguments);

// Shows the splash, then the main window. A file named on the command line is opened once the
// main window is up, as File > Open opens it: the same checks and messages, and it becomes the
// window's file.
void startMainWindow(FrmMain& mainWindow, const QString& file);

} // namespace ondrel::ui
