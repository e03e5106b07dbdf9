// The programming history window, with records of every kind.
#include "files/room_sheet.h"
#include "platform/room_sheet_printer.h"
#include "programming/programming_history.h"
#include "shots.h"
#include "tools/shutoff_timer.h"
#include "ui/main/frm_history.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// The first page of a room sheet, printed to PDF and turned into an image with pdftoppm.
void sheetPage(ondrel::shots::Shots& shots, const QString& dir) {
    using namespace ondrel;
    ProjectState& state = shots.state();
    state.setDeviceNames(0, QStringLiteral("Maker A"), QStringLiteral("Model 1"));
    state.updatePort(0, [](CommSets& port) {
        port.BaudRate = 9600;
        port.Parity = "NONE";
        port.StopBit = 1;
        port.TransmitFormat = 8;
        port.prsentAs = 1;
    });
    const char* names[] = {"On", "Off", "Vol+", "Vol-", "Video", "DVD", "RGB1", "RGB2", "Blank"};
    const QByteArray commands[] = {"PON",     "POF",     "AUU",     "AUD", "IIS:VID",
                                   "IIS:SVD", "IIS:RG1", "IIS:RG2", "OSH"};
    for (int b = 0; b < 9; ++b) {
        state.setCommandText(0, b, QString::fromLatin1(names[b]));
        state.updateButton(b, [&](ButtonConfig& record) {
            record.setCommandString1(0, ByteList::fromBytes("\x02" + commands[b] + "\x03"));
        });
        state.updateButton(b, [&](ButtonConfig& record) {
            record.Button_type = b == 0 ? TypeOn : b == 1 ? TypeOff : TypeMomentary;
        });
    }
    state.updateButton(0, [&](ButtonConfig& record) { record.setRelayInfo(1, RelayOn); });
    state.updateButton(2, [&](ButtonConfig& record) { record.Repeatng = 1; });
    state.updateButton(3, [&](ButtonConfig& record) { record.Repeatng = 1; });
    setShutOffTimer(state, 90);
    const QString pdf = QDir(dir).filePath(QStringLiteral("sheet.pdf"));
    if (!writeRoomSheetPdf(
             buildRoomSheet(state, QStringLiteral("Room 101.qcd"), QDate(2026, 12, 7)), pdf)
             .ok())
        return;
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("70"), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), pdf,
                       QDir(shots.directory()).filePath(QStringLiteral("room-sheet"))});
}

void recordsShots(ondrel::shots::Shots& shots) {
    using namespace ondrel;
    QTemporaryDir dir; // never the installer's own history
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    const struct {
        const char* procedure;
        const char* file;
        const char* result;
        const char* failure;
        int size, packets, resends;
    } rows[] = {
        {"upload", "/home/installer/Custom/Room 101.qcd", "succeeded", "", 114, 27, 0},
        {"upload", "/home/installer/Custom/Room 102.qcd", "succeeded", "", 114, 28, 1},
        {"upload", "/home/installer/Custom/Room 103.qcd", "failed",
         "The panel did not acknowledge the firmware line 3 (word address 0008, 3 tries).", 114, 5,
         2},
        {"restore", "/usr/lib/ondrel/default.dat", "cancelled",
         "Cancelled while waiting for the panel's reset; nothing was sent.", 4097, 0, 0},
        {"firmware", "/usr/lib/ondrel/firmware/1_0_0.hex", "succeeded", "", 1290, 16, 0},
    };
    QDateTime time(QDate(2026, 12, 7), QTime(9, 12, 5));
    for (const auto& row : rows) {
        HistoryRecord r =
            startRecord(QString::fromLatin1(row.procedure), QString::fromLatin1(row.file),
                        QByteArray(row.size, char(row.packets)));
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
    window.resize(960, 420); // as on a 1366 x 768 screen
    shots.save(&window);
    window.resize(660, 360); // a 1366 x 768 screen at 200 %
    shots.save(&window, QStringLiteral("frmHistory-small"));
    window.close();
    sheetPage(shots, dir.path());
}

const bool registered = ondrel::shots::registerArea("records", &recordsShots);

} // namespace
