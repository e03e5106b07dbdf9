#include "app_paths.h"

#include <QCoreApplication>
#include <QDir>

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

} // namespace ondrel
