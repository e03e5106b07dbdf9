// The programming history window, with records of every kind.
#include "programming/programming_history.h"
#include "shots.h"
#include "ui/frm_history.h"

#include <QTemporaryDir>

namespace {

void recordsShots(ondrel::shots::Shots& shots) {
    using namespace ondrel;
    QTemporaryDir dir; // never the installer's own history
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    const struct {
        const char* procedure;
        const char* file;
        const char* result;
        const char* failure;
        int packets, resends;
    } rows[] = {
        {"upload", "/home/installer/Custom/Room 101.qcd", "succeeded", "", 27, 0},
        {"upload", "/home/installer/Custom/Room 102.qcd", "succeeded", "", 28, 1},
        {"upload", "/home/installer/Custom/Room 103.qcd", "failed",
         "The panel did not acknowledge the firmware line 3 (word address 0008, 3 tries).", 5, 2},
        {"restore", "/usr/lib/ondrel/default.dat", "cancelled",
         "Cancelled while waiting for the panel's reset; nothing was sent.", 0, 0},
        {"firmware", "/usr/lib/ondrel/firmware/1_0_0.hex", "succeeded", "", 16, 0},
    };
    QDateTime time(QDate(2026, 12, 7), QTime(9, 12, 5));
    for (const auto& row : rows) {
        HistoryRecord r =
            startRecord(QString::fromLatin1(row.procedure), QString::fromLatin1(row.file),
                        QByteArray(114, char(row.packets)));
        r.time = time.toOffsetFromUtc(3600);
        r.port = QStringLiteral("1");
        r.device = QStringLiteral("/dev/ttyUSB0");
        r.result = QString::fromLatin1(row.result);
        r.failure = QString::fromLatin1(row.failure);
        r.durationMs = 4200 + row.packets * 40;
        r.packets = row.packets;
        r.resends = row.resends;
        if (!appendHistory(r, path).ok())
            return;
        time = time.addSecs(317);
    }
    ui::FrmHistory window(&shots.mainWindow(), path);
    shots.save(&window);
    window.resize(660, 360); // a 1366 x 768 screen at 200 %
    shots.save(&window, QStringLiteral("frmHistory-small"));
}

const bool registered = ondrel::shots::registerArea("records", &recordsShots);

} // namespace
