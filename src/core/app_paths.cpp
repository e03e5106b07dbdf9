#include "app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace ondrel {

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString catalogPath() {
    return QDir(programFolder()).filePath(QStringLiteral("Proj.qdb"));
}

QString factoryDataPath() {
    return QDir(programFolder()).filePath(QStringLiteral("default.dat"));
}

QString firmwareFolder() {
    return QDir(programFolder()).filePath(QStringLiteral("firmware"));
}

QString customFolder() {
    return QDir(programFolder()).filePath(QStringLiteral("Custom"));
}

QString userGuidePath() {
    return QDir(programFolder()).filePath(QStringLiteral("user-guide.html"));
}

QString userDataFolder() {
#ifdef Q_OS_WIN
    // Windows has no variable for the folder; XDG_DATA_HOME, as on Linux, lets a test run (and
    // the programs it starts) keep its files apart from the user's own.
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!dataHome.isEmpty())
        return QDir(dataHome).filePath(QStringLiteral("Ondrel"));
#endif
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Ondrel"));
}

QString userFirmwareFolder() {
    return QDir(userDataFolder()).filePath(QStringLiteral("firmware"));
}

QString userSettingsPath() {
    return QDir(userDataFolder()).filePath(QStringLiteral("settings.ini"));
}

} // namespace ondrel
