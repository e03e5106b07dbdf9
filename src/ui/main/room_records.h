#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QPrinter;

namespace ondrel::ui {

class FrmHistory;
class FrmMain;

// The room sheet ("File" > "Print Room Sheet") and the programming history window ("Program" >
// "Programming History") of the main window, which puts the two items on its menus.
class RoomRecords : public QObject {
    Q_OBJECT
public:
    explicit RoomRecords(FrmMain& main);

    QAction* mnuRoomSheet() const { return mnuRoomSheet_; }
    QAction* mnuHistory() const { return mnuHistory_; }
    FrmHistory* history() const; // while it is open

    // Prints on a chosen printer, or asks for a PDF file when there is none.
    void printRoomSheet();
    // Writes the sheet of the current configuration as a PDF; false after a failure (shown).
    bool printRoomSheetToPdf(const QString& fileName);
    void showHistory();

private:
    void printTo(QPrinter& printer);

    FrmMain& main_;
    QAction* mnuRoomSheet_ = nullptr;
    QAction* mnuHistory_ = nullptr;
    QPointer<FrmHistory> history_;
};

} // namespace ondrel::ui
