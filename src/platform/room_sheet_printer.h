#pragma once

#include "files/room_sheet.h"
#include "result.h"

class QPagedPaintDevice;

namespace ondrel {

// Lays the room sheet out as text on the pages of `device` (a printer or a PDF writer): the
// title, the facts, then each table with its header row. A row that does not fit the rest of
// a page starts the next page, under the table's header again; a row is never cut. Gives the
// number of pages.
Result<int> paintRoomSheet(const RoomSheet& sheet, QPagedPaintDevice& device);

// The sheet as a PDF file (A4), written in one step so that a failure leaves no half file.
// Needs a QGuiApplication (fonts). Gives the number of pages.
Result<int> writeRoomSheetPdf(const RoomSheet& sheet, const QString& path);

} // namespace ondrel
