// The configuration file as every desktop program has it: its name and a modified mark in the
// caption, Ctrl+S to the same file, Ctrl+Shift+S to another, and a recent-files list.
#include "files/qcd_file.h"
#include "support/test_support.h"
#include "support/ui_helpers.h"
#include "ui/main/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace ondrel;

TEST(DocumentFile, CaptionNamesTheFileAndMarksChangesCtrlSSavesToIt) {
    QTemporaryDir dir;
    ProjectState state;
    ui::FrmMain main(state);
    main.show();
    QApplication::setActiveWindow(&main);
    int asked = 0;
    main.chooseConfigurationFile = [&](bool) {
        ++asked;
        return dir.filePath(QString("Room %1").arg(asked));
    };
    auto ctrlS = [&](Qt::KeyboardModifiers more = {}) {
        QTest::keyClick(&main, Qt::Key_S, Qt::ControlModifier | more);
    };
    const QString version = QStringLiteral("Corvane Ondrel   Version: 1.0.0");

    state.updateButton(0, [&](ButtonConfig& record) { record.Button_type = TypeOn; });
    EXPECT_EQ(main.windowTitle(), version + "[*]");
    EXPECT_TRUE(main.isWindowModified());
    ctrlS(); // a new configuration: asks for the name
    const QString room1 = dir.filePath("Room 1.qcd");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(main.windowTitle(), version + " - Room 1.qcd[*]");
    EXPECT_FALSE(main.isWindowModified());
    EXPECT_EQ(main.statusBar()->currentMessage(), "Saved " + QDir::toNativeSeparators(room1));

    state.updateButton(1, [&](ButtonConfig& record) { record.Button_type = TypeOff; });
    EXPECT_TRUE(main.isWindowModified());
    ctrlS(); // to the same file, without asking
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(main.isWindowModified());
    EXPECT_EQ(test::readFile(room1), writeQcd(state));

    ctrlS(Qt::ShiftModifier); // Save As always asks
    EXPECT_EQ(asked, 2);
    const QString room2 = dir.filePath("Room 2.qcd");
    EXPECT_EQ(main.windowTitle(), version + " - Room 2.qcd[*]");
    EXPECT_EQ(main.recentFiles().mid(0, 2), QStringList({room2, room1}));
    EXPECT_EQ(state.currentFileName(), room2); // what the history and the room sheet name
    main.chooseConfigurationFile = [](bool) { return QString(); };
    ctrlS(Qt::ShiftModifier); // cancelled: still Room 2
    EXPECT_EQ(state.currentFileName(), room2);

    // Another window reopens Room 1 from File > Recent Files; it becomes that window's file.
    ProjectState other;
    ui::FrmMain second(other);
    emit test::menu(second, "mnuRecent")->aboutToShow();
    second.findChild<QAction*>("mnuRecent_1")->trigger();
    EXPECT_EQ(other.currentFileName() + second.windowTitle(), room1 + version + " - Room 1.qcd[*]");
}
