#include "ui/main/room_records.h"

#include "files/room_sheet.h"
#include "platform/room_sheet_printer.h"
#include "ui/main/frm_history.h"
#include "ui/main/frm_main.h"
#include "ui/main/panel_programming.h"
#include "ui/tools/frm_labels.h"
#include "ui/widgets/messages.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace ondrel::ui {

namespace {

// The sheet of what the main window holds now; the labels of an open label template.
RoomSheet currentSheet(FrmMain& main) {
    QStringList captions;
    if (const auto* open = main.findChild<FrmLabels*>())
        for (const labels::Face& face : open->faces())
            captions << face.text;
    return buildRoomSheet(main.state(), main.state().currentFileName(), QDate::currentDate(),
                          captions);
}

const QString kPrintError = QStringLiteral("The room sheet could not be printed: %1");

} // namespace

RoomRecords::RoomRecords(FrmMain& main) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("roomRecords"));
    mnuRoomSheet_ = new QAction(tr("&Print Room Sheet"), &main);
    mnuRoomSheet_->setObjectName(QStringLiteral("mnuRoomSheet"));
    mnuRoomSheet_->setStatusTip(tr("Prints what this configuration does, for the customer and "
                                   "the next technician."));
    connect(mnuRoomSheet_, &QAction::triggered, this, &RoomRecords::printRoomSheet);

    mnuHistory_ = new QAction(tr("Programming &History"), &main);
    mnuHistory_->setObjectName(QStringLiteral("mnuHistory"));
    connect(mnuHistory_, &QAction::triggered, this, &RoomRecords::showHistory);
    connect(&main.programming(), &PanelProgramming::historyAdded, this, [this] {
        if (history_)
            history_->refresh();
    });
}

void RoomRecords::printRoomSheet() {
    if (!QPrinterInfo::availablePrinters().isEmpty()) {
        auto* printer = new QPrinter(QPrinter::HighResolution);
        auto* dialog = new QPrintDialog(printer, &main_);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QDialog::finished, this, [printer] { delete printer; });
        connect(dialog, &QDialog::accepted, this, [this, printer] { printTo(*printer); });
        dialog->open();
        return;
    }
    // No printer installed: the sheet goes to a PDF file the installer can print elsewhere.
    const QString& current = main_.state().currentFileName();
    const QString folder = current.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                               : QFileInfo(current).absolutePath();
    const QString name = current.isEmpty() ? QStringLiteral("Room sheet.pdf")
                                           : QFileInfo(current).completeBaseName() +
                                                 QStringLiteral(" room sheet.pdf");
    auto* dialog = new QFileDialog(&main_, tr("No printer found: save the room sheet as PDF"),
                                   QDir(folder).filePath(name), tr("PDF files (*.pdf)"));
    dialog->setObjectName(QStringLiteral("sheetPdfDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("pdf"));
    connect(dialog, &QFileDialog::fileSelected, this, &RoomRecords::printRoomSheetToPdf);
    dialog->open();
}

bool RoomRecords::printRoomSheetToPdf(const QString& fileName) {
    const Result<int> pages = writeRoomSheetPdf(currentSheet(main_), fileName);
    if (!pages)
        showError(&main_, kPrintError.arg(pages.error().message));
    return pages.ok();
}

void RoomRecords::printTo(QPrinter& printer) {
    printer.setDocName(tr("Room sheet"));
    const Result<int> pages = paintRoomSheet(currentSheet(main_), printer);
    if (!pages || printer.printerState() == QPrinter::Error)
        showError(&main_, kPrintError.arg(pages ? tr("the printer reported an error")
                                                : pages.error().message));
}

FrmHistory* RoomRecords::history() const {
    return history_;
}

void RoomRecords::showHistory() {
    if (!history_)
        history_ = new FrmHistory(&main_);
    history_->refresh();
    history_->show();
    history_->raise();
    history_->activateWindow();
}

} // namespace ondrel::ui
