// Many rooms in a row from the windows, the history they leave, its window and the room sheet
// from the File menu, against the virtual panel as upload port 1.
#include "files/qcd_file.h"
#include "files/room_sheet.h"
#include "programming/programming_history.h"
#include "support/port_env.h"
#include "support/qcd_fixtures.h"
#include "support/ui_helpers.h"
#include "support/virtual_panel.h"
#include "ui/main/frm_history.h"
#include "ui/main/frm_main.h"
#include "ui/main/panel_programming.h"
#include "ui/main/programming_windows.h"
#include "ui/main/room_records.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;

TEST(RoomRecordsUi, ManyRoomsGiveOneRecordPerPanelShownNewestFirst) {
    ONDREL_SKIP_WITHOUT_PTYS();
    QFile::remove(historyFilePath());
    QTemporaryDir dir;
    test::writeProgramFolder(dir.path(), 8);
    // A second for the installer to reach each panel's reset.
    test::VirtualPanel panel({QStringLiteral("--reset-delay"), QStringLiteral("1000")});
    ASSERT_TRUE(panel.ok());
    test::PortMapping ports(panel.path());
    // The configuration comes from File > Open: the records and the sheet name its file.
    ProjectState state;
    test::setUpWorkedExample(state);
    const QString file = dir.filePath(QStringLiteral("Room 9.qcd"));
    ASSERT_TRUE(saveQcd(state, file).ok());
    ProjectState opened;
    ui::FrmMain main(opened);
    main.show();
    main.chooseConfigurationFile = [&](bool) { return file; };
    test::MessageBoxes boxes;
    test::action(main, "mnuOpenFile")->trigger();
    EXPECT_TRUE(boxes.next().text.contains("was opened, but")); // 'Maker A' is not catalogued
    ui::PanelProgramming& programming = main.programming();
    programming.programDir = dir.path();
    programming.options.blockTimeoutMs = 150;
    programming.options.pollIntervalMs = 20;

    programming.mnuManyRooms()->setChecked(true);

    main.uploadButton()->click();
    ASSERT_EQ(boxes.next(15000).text, QStringLiteral("Upload Complete."));
    auto* hint = programming.resetPrompt()->findChild<QLabel*>(QStringLiteral("hint"));
    EXPECT_TRUE(test::waitUntil([&] { return programming.resetPrompt()->isVisible(); }, 2000));
    EXPECT_TRUE(hint->text().startsWith(QStringLiteral("Panel 2:"))) << hint->text().toStdString();
    ASSERT_EQ(boxes.next(15000).text, QStringLiteral("Upload Complete."));
    ASSERT_TRUE(test::waitUntil([&] { return programming.resetPrompt()->isVisible(); }, 2000));
    programming.resetPrompt()->reject(); // Esc at the third panel's prompt ends the row
    ASSERT_TRUE(test::waitUntil([&] { return !programming.isRunning(); }, 5000));
    EXPECT_EQ(boxes.next(500).text, QString()) << "ending the row shows nothing";

    const HistoryContents history = readHistory().value();
    ASSERT_EQ(history.records.size(), 2);
    const RoomSheet sheet = buildRoomSheet(opened, opened.currentFileName(), QDate::currentDate());
    EXPECT_EQ(sheet.title, "Room 9");
    for (const HistoryRecord& r : history.records)
        EXPECT_EQ(QStringList({r.result, r.crc, r.port, r.file}),
                  QStringList({"succeeded", sheet.crc, "1", file}));

    auto* records = main.findChild<ui::RoomRecords*>();
    ASSERT_NE(records, nullptr);
    records->mnuHistory()->trigger();
    ui::FrmHistory* window = records->history();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->grdHistory()->rowCount(), 2);
    EXPECT_EQ(window->grdHistory()->item(0, 0)->text(),
              history.records[1].time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    EXPECT_EQ(window->grdHistory()->item(0, 2)->text(), "Room 9.qcd");
    for (const auto& [filter, rows] : {std::pair{"room 9", 2}, {"room 10", 0}}) {
        window->txtFilter()->setText(QString::fromLatin1(filter));
        EXPECT_EQ(window->grdHistory()->rowCount(), rows) << filter;
    }

    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    EXPECT_TRUE(records->printRoomSheetToPdf(pdf));
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
}
