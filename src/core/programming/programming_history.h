#pragma once

#include "programming/programming.h"
#include "result.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The programming history: one CSV record per upload, factory restore and firmware update, from
// the windows and from ondrel-cli alike, in the per-user data folder. Appends from two programs
// at once never mix (a lock around one write of the whole line, on a file opened for appending),
// and a record cut short by a crash is skipped by the reader without losing the others.
namespace ondrel {

struct HistoryRecord {
    QDateTime time;    // when the procedure started, with its offset from UTC
    QString procedure; // "upload", "restore" or "firmware"
    QString file;      // configuration, factory data or firmware file
    qint64 imageSize = 0;
    QString crc;  // CRC-32 of the image sent, 8 hexadecimal digits; empty when unknown
    QString port; // upload port number (1 to 3); empty when a device was named instead
    QString device;
    QString result; // "succeeded", "failed" or "cancelled"
    QString failure;
    qint64 durationMs = 0;
    int packets = 0;
    int resends = 0;

    friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;
};

inline constexpr char kHistoryFileName[] = "programming-history.csv";
inline constexpr char kHistoryHeader[] =
    "time,procedure,file,image_size,crc32,port,device,result,failure,duration_s,packets,resends";

// userDataFolder()/programming-history.csv
QString historyFilePath();

// A record for a procedure about to start: the time now, and the size and CRC of `image`.
HistoryRecord startRecord(const QString& procedure, const QString& file, const QByteArray& image);
// The same for a factory restore (the 4097 bytes of default.dat in `programDir`) and for a
// firmware update (the file's bytes); a file that cannot be read gives size 0 and no CRC, and
// the firmware's reason in `read` when given ("cannot read the firmware file PATH for the
// programming history: REASON"), as the history's other failures read.
HistoryRecord startRestoreRecord(const QString& programDir);
HistoryRecord startFirmwareRecord(const QString& firmwarePath, Status* read = nullptr);
// Fills in how the procedure ended.
void finishRecord(HistoryRecord& record, const ProgrammingResult& result, qint64 durationMs);

// The file's name as a list shows it; "(not saved)" for an upload of a configuration never saved.
QString historyFileName(const HistoryRecord& record);

// One CSV line for the record, with its line feed. Line breaks inside a text become blanks, so
// a record is always one line.
QByteArray historyLine(const HistoryRecord& record);

// Appends one record, writing the header first into a new file. Waits up to a few seconds for
// another program's append to finish.
Status appendHistory(const HistoryRecord& record, const QString& path = historyFilePath());

struct HistoryContents {
    QList<HistoryRecord> records; // in file order, oldest first
    int skipped = 0;              // broken lines left out (a record cut short by a crash)
};
// Reads the history; a missing file is an empty history.
Result<HistoryContents> readHistory(const QString& path = historyFilePath());
// The same from the file's bytes.
HistoryContents parseHistory(const QByteArray& bytes);

} // namespace ondrel
