#include "check_install.h"
#include "project/project_state.h"
#include "ui/main/frm_main.h"
#include "ui/main/start_up.h"
#include "ui/widgets/window_placement.h"

#include <QApplication>
#include <QTextStream>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// ondrel.exe is a windowed program, so a command prompt gives it no console: what it prints goes
// into the prompt's console unless the output was redirected.
void reportToParentConsole() {
#ifdef Q_OS_WIN
    const bool outRedirected = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN;
    const bool errRedirected = GetFileType(GetStdHandle(STD_ERROR_HANDLE)) != FILE_TYPE_UNKNOWN;
    if ((outRedirected && errRedirected) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!outRedirected)
        std::freopen("CONOUT$", "w", stdout);
    if (!errRedirected)
        std::freopen("CONOUT$", "w", stderr);
#endif
}

int print(FILE* stream, const QString& text, int exitCode) {
    reportToParentConsole();
    QTextStream(stream) << text;
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    using ondrel::ui::StartRequest;
    {
        // --help and --version answer before Qt looks for a display.
        QStringList raw;
        for (int i = 0; i < argc; ++i)
            raw << QString::fromLocal8Bit(argv[i]);
        const StartRequest early = ondrel::ui::parseStartArguments(raw);
        if (early.kind == StartRequest::Kind::Help || early.kind == StartRequest::Kind::Version)
            return print(stdout, early.text, 0);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondrel"));
    // Modeless windows may still be open when the main window closes; the run ends with it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
    const StartRequest request = ondrel::ui::parseStartArguments(QApplication::arguments());
    if (request.kind == StartRequest::Kind::UsageError)
        return print(stderr, request.text, 2);

    ondrel::ProjectState state;
    if (request.kind == StartRequest::Kind::CheckInstall) {
        // The main window is built, never shown: it loads the same plugins and data a real start
        // does.
        ondrel::ui::FrmMain hidden(state);
        reportToParentConsole();
        QTextStream out(stdout);
        return ondrel::checkInstall(out) ? 0 : 1;
    }

    ondrel::ui::keepWindowsInsideWorkArea(app);
    ondrel::ui::FrmMain mainWindow(state);
    mainWindow.applyScreenWorkArea();
    QObject::connect(&mainWindow, &ondrel::ui::FrmMain::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    ondrel::ui::startMainWindow(mainWindow, request.file);
    return app.exec();
}
