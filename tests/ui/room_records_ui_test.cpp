// Many rooms in a row from the windows, the history they leave, its window and the room sheet
// from the File menu, against the virtual panel as upload port 1.
#include "files/room_sheet.h"
#include "programming/programming_history.h"
#include "support/port_env.h"
#include "support/qcd_fixtures.h"
#include "support/ui_helpers.h"
#include "support/virtual_panel.h"
#include "ui/frm_history.h"
#include "ui/frm_main.h"
#include "ui/panel_programming.h"
#include "ui/programming_windows.h"
#include "ui/room_records.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {

// Answers the next message box with OK and gives its text; empty when none came.
QString answerBox(int timeoutMs = 15000) {
    QMessageBox* box = nullptr;
    test::waitUntil(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if ((box = qobject_cast<QMessageBox*>(w)) && box->isVisible())
                    return true;
            return false;
        },
        timeoutMs);
    if (!box || !box->isVisible())
        return {};
    const QString text = box->text();
    box->button(QMessageBox::Ok)->click();
    return text;
}

} // namespace

TEST(RoomRecordsUi, ManyRoomsGiveOneRecordPerPanelShownNewestFirst) {
    ONDREL_SKIP_WITHOUT_PTYS();
    QFile::remove(historyFilePath());
    QTemporaryDir dir;
    test::writeProgramFolder(dir.path(), 8);
    // A second for the installer to reach each panel's reset.
    test::VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("1000")});
    ASSERT_TRUE(panel.ok());
    test::PortMapping ports(panel.path());
    ProjectState state;
    test::setUpWorkedExample(state);
    state.currentFileName = dir.filePath(QStringLiteral("Room 9.qcd"));
    ui::FrmMain main(state);
    main.show();
    ui::PanelProgramming& programming = main.programming();
    programming.programDir = dir.path();
    programming.options.blockTimeoutMs = 150;
    programming.options.pollIntervalMs = 20;

    programming.mnuManyRooms()->setChecked(true);

    main.uploadButton()->click();
    ASSERT_EQ(answerBox(), QStringLiteral("Upload Complete."));
    auto* hint = programming.resetPrompt()->findChild<QLabel*>(QStringLiteral("hint"));
    EXPECT_TRUE(test::waitUntil([&] { return programming.resetPrompt()->isVisible(); }, 2000));
    EXPECT_TRUE(hint->text().startsWith(QStringLiteral("Panel 2:"))) << hint->text().toStdString();
    ASSERT_EQ(answerBox(), QStringLiteral("Upload Complete."));
    ASSERT_TRUE(test::waitUntil([&] { return programming.resetPrompt()->isVisible(); }, 2000));
    programming.resetPrompt()->reject(); // Esc at the third panel's prompt ends the row
    ASSERT_TRUE(test::waitUntil([&] { return !programming.isRunning(); }, 5000));
    EXPECT_EQ(answerBox(500), QString()) << "ending the row shows nothing";

    const HistoryContents history = readHistory().value();
    ASSERT_EQ(history.records.size(), 2);
    const QString crc = buildRoomSheet(state, state.currentFileName, QDate::currentDate()).crc;
    for (const HistoryRecord& r : history.records)
        EXPECT_EQ(QStringList({r.result, r.crc, r.port, r.file}),
                  QStringList({"succeeded", crc, "1", state.currentFileName}));

    auto* records = main.findChild<ui::RoomRecords*>();
    ASSERT_NE(records, nullptr);
    records->mnuHistory()->trigger();
    ui::FrmHistory* window = records->history();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->grdHistory()->rowCount(), 2);
    EXPECT_EQ(window->grdHistory()->item(0, 0)->text(),
              history.records[1].time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    window->txtFilter()->setText(QStringLiteral("room 10"));
    EXPECT_EQ(window->grdHistory()->rowCount(), 0);

    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    EXPECT_TRUE(records->printRoomSheetToPdf(pdf));
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
}
