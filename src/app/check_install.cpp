#include "check_install.h"

#include "app_paths.h"
#include "app_version.h"
#include "catalogue/catalogue.h"
#include "files/qcd_file.h"
#include "programming/factory_data.h"
#include "programming/firmware_files.h"
#include "programming/programming.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ondrel {

bool checkInstall(QTextStream& out) {
    bool ok = true;
    auto report = [&](bool good, const QString& what, const QString& detail) {
        out << (good ? "ok      " : "FAILED  ") << what << ": " << detail << '\n';
        ok = ok && good;
    };
    out << "ondrel " << versionText() << '\n' << "program folder: " << programFolder() << '\n';

    {
        const Catalogue catalogue(catalogPath());
        Result<QStringList> makers = catalogue.status()
                                         ? catalogue.manufacturers()
                                         : Result<QStringList>(catalogue.status().error());
        if (makers && makers.value().isEmpty())
            report(false, QStringLiteral("catalogue"),
                   catalogPath() + QStringLiteral(" lists no manufacturer"));
        else if (makers)
            report(true, QStringLiteral("catalogue"),
                   QStringLiteral("%1, %2 manufacturers")
                       .arg(catalogPath())
                       .arg(makers.value().size()));
        else
            report(false, QStringLiteral("catalogue"), makers.error().message);
    }

    Result<QByteArray> factory = readFactoryDataFile(factoryDataPath());
    report(bool(factory), QStringLiteral("factory setup"),
           factory
               ? QStringLiteral("%1, %2 bytes").arg(factoryDataPath()).arg(factory.value().size())
               : factory.error().message);

    const QString firmware = firmwareFolder();
    if (!QFileInfo(firmware).isDir()) {
        report(false, QStringLiteral("firmware folder"),
               firmware + QStringLiteral(" does not exist"));
    } else {
        // The firmware image comes from the panel's maker, so its absence is reported, not
        // failed. It is looked for beside the program, then in the installer's own folder.
        const QString image = locateFirmwareFile(programFolder());
        report(true, QStringLiteral("firmware folder"),
               QFileInfo::exists(image)
                   ? QStringLiteral("%1 present").arg(image)
                   : QStringLiteral("%1 not there yet in %2 or %3 (programming needs it; the "
                                    "first upload offers to choose the file)")
                         .arg(firmwareFileName(), firmware, userFirmwareFolder()));
    }

    out << "configuration files: "
        << configurationFolder(programFolder(),
                               QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        << '\n';
    out << (ok ? "check-install: ok" : "check-install: FAILED") << '\n';
    return ok;
}

} // namespace ondrel
