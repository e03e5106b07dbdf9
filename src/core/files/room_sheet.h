#pragma once

#include "project/byte_list.h"
#include "project/project_state.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The room sheet: what a configuration does, for the customer and the next technician. Built
// here as plain texts in tables; the printing side only lays them out on pages.
namespace ondrel {

struct SheetTable {
    QString title;
    QStringList header;
    QList<double> widths; // share of the page width per column, summing to 1
    QList<QStringList> rows;
};

struct RoomSheet {
    QString title;                        // the room's name: the file name without ".qcd"
    QList<QPair<QString, QString>> facts; // file, date, versions, timer, image size and CRC
    QList<SheetTable> tables;             // devices, then buttons
    QString crc;                          // CRC-32 of the configuration image; empty when none
};

// The captions the button-label template starts with ("On", "Off", "Volume Up", ...).
QStringList defaultLabelCaptions();

// The sheet of `state`, saved as `fileName`, printed on `date`. `labelCaptions` are the ten
// labels' captions (the template's own when empty).
RoomSheet buildRoomSheet(const ProjectState& state, const QString& fileName, const QDate& date,
                         const QStringList& labelCaptions = {});

// A command's bytes in a control port's presentation form, control characters as their names
// in angle brackets: ASCII 2 80 3 reads "<STX>P<ETX>", hexadecimal ' 02H 50H 03H', decimal
// ' 2 80 3'. "None" for an empty list.
QString sheetBytesText(const ByteList& list, const Value& prsentAs);

} // namespace ondrel
