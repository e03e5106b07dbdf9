#include "ui/main/start_up.h"

#include "app_version.h"
#include "ui/main/frm_main.h"
#include "ui/main/intro.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

namespace ondrel::ui {

namespace {

const char* const kHelp =
    "Usage: ondrel [FILE.qcd]\n"
    "       ondrel --check-install\n"
    "       ondrel --help | --version\n"
    "\n"
    "The Ondrel configuration tool. Named with a configuration file, it opens the file as\n"
    "File > Open does.\n"
    "\n"
    "  --check-install  checks the data files beside the program, without a window\n"
    "  --version        prints the version\n"
    "  -h, --help       prints this help\n"
    "\n"
    "ondrel-cli does the tool's work without windows: see ondrel-cli --help.\n";

StartRequest usageError(const QString& message) {
    return {StartRequest::Kind::UsageError,
            {},
            QStringLiteral("ondrel: %1\nTry 'ondrel --help'.\n").arg(message)};
}

} // namespace

StartRequest parseStartArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption checkInstall(QStringLiteral("check-install"));
    parser.addOptions({help, version, checkInstall});
    const bool parsed = parser.parse(arguments);
    // Asked for help, the program helps, whatever else the line holds.
    if (parser.isSet(help))
        return {StartRequest::Kind::Help, {}, QString::fromLatin1(kHelp)};
    if (parser.isSet(version))
        return {StartRequest::Kind::Version,
                {},
                QStringLiteral("ondrel %1\n").arg(ondrel::versionText())};
    if (!parsed)
        return usageError(parser.errorText());
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(checkInstall))
        return files.isEmpty() ? StartRequest{StartRequest::Kind::CheckInstall, {}, {}}
                               : usageError(QStringLiteral("--check-install takes no file."));
    if (files.size() > 1)
        return usageError(
            QStringLiteral("opens one configuration file at a time, not %1.").arg(files.size()));
    if (files.isEmpty())
        return {};
    // Some launchers hand over a file URL instead of a path.
    const QUrl url(files[0]);
    const QString path = url.isLocalFile() ? url.toLocalFile() : files[0];
    return {StartRequest::Kind::Window, QFileInfo(path).absoluteFilePath(), {}};
}

void startMainWindow(FrmMain& mainWindow, const QString& file) {
    auto* intro = new Intro(&mainWindow);
    if (!file.isEmpty())
        // Queued, so that the main window the splash shows is up before a message about the
        // file needs it.
        QObject::connect(
            intro->Timer1(), &QTimer::timeout, &mainWindow,
            [&mainWindow, file] { mainWindow.openFile(file); }, Qt::QueuedConnection);
    intro->show();
}

} // namespace ondrel::ui
