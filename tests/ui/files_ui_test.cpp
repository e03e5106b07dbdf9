// Opening and saving from the main window, the save prompt on closing, and the timer dialog.
#include "files/qcd_file.h"
#include "project/project_state.h"
#include "support/qcd_fixtures.h"
#include "support/test_support.h"
#include "support/ui_helpers.h"
#include "ui/main/frm_main.h"
#include "ui/settings/timer_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::ui::FrmMain;
using ondrel::ui::TimerDialog;

namespace {

QString boxText(FrmMain& main, int i) {
    return main.Text1(i)->text();
}

class FilesUi : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ProjectState state;
    FrmMain main{state};
    MessageBoxes boxes;
    void SetUp() override {
        main.show();
        main.fileDialogFolder = dir.path();
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        return test::writeFile(dir.filePath(name), bytes);
    }
    TimerDialog* openTimer() {
        test::action(main, "mnuSetupTimer")->trigger();
        return main.findChild<TimerDialog*>("timerDialog");
    }
};

} // namespace

TEST_F(FilesUi, TimerDialogFromTheMenuPictureAndBoxesChecksAndFillsTheDisplay) {
    for (const char* name : {"Picture1", "Text1_0", "Text1_3"}) {
        click(main.findChild<QWidget*>(name));
        QPointer<TimerDialog> d = main.findChild<TimerDialog*>("timerDialog");
        ASSERT_FALSE(d.isNull()) << name;
        EXPECT_TRUE(d->Text1()->text().isEmpty()); // a new dialog starts empty
        d->Text1()->setText("2");
        d->CancelButton()->click();
        QApplication::processEvents();
        EXPECT_TRUE(d.isNull());
    }
    EXPECT_FALSE(state.timerMinutes());

    TimerDialog* dialog = openTimer();
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "Shut Off Timer");
    // Below the minimum, and (mended) a box that is no number, are refused.
    for (const auto& [hours, minutes, text] :
         {std::tuple{"", "4", "Minimum value is 5 Minutes."},
          {"one", "0", "Enter the hours and the minutes as numbers, for example 1 and 30."}}) {
        dialog->Text1()->setText(hours);
        dialog->Text2()->setText(minutes);
        dialog->OKButton()->click();
        EXPECT_EQ(boxes.next().text, text);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(state.timerMinutes());
    }
    EXPECT_EQ(boxes.seen()[0].title, "Re-Enter Timer length");
    EXPECT_EQ(boxes.seen()[0].icon, QMessageBox::Critical);

    dialog->Text1()->setText("0");
    dialog->Text2()->setText("5");
    QPointer<TimerDialog> closing = dialog;
    dialog->OKButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(closing.isNull());
    EXPECT_EQ(state.timerMinutes(), 5.0);
    EXPECT_EQ(QStringList({boxText(main, 0), boxText(main, 1), boxText(main, 2), boxText(main, 3)}),
              QStringList({"0:05", "0:04", "0:02", "0:01"}));
    dialog = openTimer();
    dialog->Text1()->setText("1.5");
    dialog->OKButton()->click();
    EXPECT_EQ(state.timerMinutes(), 90.0);
    EXPECT_EQ(boxText(main, 1), "1:08");
}

TEST_F(FilesUi, SaveAndOpenThroughTheFileDialog) {
    setUpWorkedExample(state);
    QString filter, folder, name;
    onNextFileDialog([&](QFileDialog* dialog) {
        filter = dialog->nameFilters().join("|");
        folder = dialog->directory().absolutePath();
        name = dialog->objectName();
        dialog->selectFile(dir.filePath("setup"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, as the Save button does
    });
    test::action(main, "mnuSave")->trigger();
    EXPECT_EQ(filter, "Quellar Data (*.qcd)");
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(name, "CommonDialog1");
    EXPECT_EQ(readFile(dir.filePath("setup.qcd")), fileBytes(workedExampleLines()));
    EXPECT_EQ(state.currentFileName(), dir.filePath("setup.qcd"));

    // Saving again under the bare name: the dialog asks before replacing "setup.qcd".
    boxes.answerWith(QMessageBox::No);
    onNextFileDialog([&](QFileDialog* dialog) {
        dialog->selectFile(dir.filePath("setup"));
        static_cast<QDialog*>(dialog)->accept();
        dialog->reject();
    });
    EXPECT_FALSE(main.SaveAs());
    EXPECT_TRUE(boxes.next().text.contains("setup.qcd"));
    EXPECT_FALSE(state.isModified());

    // Open into a second window: the main window shows what the file holds.
    ProjectState other;
    FrmMain second(other);
    second.show();
    second.useCatalogue(binDir() + "/Proj.qdb");
    onNextFileDialog([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->selectFile(dir.filePath("setup.qcd"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, as the Open button does
    });
    second.fileDialogFolder = dir.path();
    test::action(second, "mnuOpenFile")->trigger();
    EXPECT_EQ(boxes.next().text, // 'Maker A' is not in the catalogue
              "\"" + QDir::toNativeSeparators(dir.filePath("setup.qcd")) +
                  "\" was opened, but:\n\nLine 2: the catalogue has no model \"Model 1\" of "
                  "\"Maker A\"; device #1 keeps its command lists and settings.");
    EXPECT_EQ(other.timerMinutes(), 90.0);
    EXPECT_EQ(other.currentFileName(), dir.filePath("setup.qcd"));
    EXPECT_FALSE(other.isModified());
}

TEST_F(FilesUi, FailuresAreShownWithFileAndLine) {
    QStringList lines = workedExampleLines();
    lines[71] = "x";
    const QString bad = writeFile("bad.qcd", fileBytes(lines));
    setUpFullState(state);
    state.setUnmodified();
    const QByteArray before = writeQcd(state);
    main.chooseConfigurationFile = [&](bool) { return bad; };
    EXPECT_FALSE(main.OpenConfiguration());
    EXPECT_EQ(boxes.next().text,
              "Could not open \"" + QDir::toNativeSeparators(bad) +
                  "\".\n\nLine 72: button type of Button Two is \"x\", not a number from 0 "
                  "to 4.\n\nNothing was changed.");
    EXPECT_EQ(writeQcd(state), before);

    state.markModified();
    main.chooseConfigurationFile = [&](bool) { return dir.filePath("no/such/folder/setup"); };
    EXPECT_FALSE(main.SaveConfiguration());
    EXPECT_TRUE(boxes.next().text.startsWith(
        "Could not save \"" + QDir::toNativeSeparators(dir.filePath("no/such/folder/setup.qcd")) +
        "\".\n\nCannot write the file"));
    EXPECT_TRUE(state.isModified());

    // Cancel in the dialog: nothing happens, no message.
    main.chooseConfigurationFile = [](bool) { return QString(); };
    EXPECT_FALSE(main.SaveAs());
    state.setUnmodified();
    EXPECT_FALSE(main.OpenConfiguration());
    EXPECT_EQ(boxes.seen().size(), 2);
}

// Mended: closing, or opening another file, with unsaved changes asks first.
TEST_F(FilesUi, ClosingOrOpeningWithUnsavedChangesAsks) {
    int closes = 0;
    QObject::connect(&main, &FrmMain::closed, [&closes] { ++closes; });
    main.close(); // nothing changed: no question
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(boxes.seen().isEmpty());

    main.show();
    state.updateButton(0, [&](ButtonConfig& record) { record.Button_type = TypeOn; });
    boxes.answerWith(QMessageBox::Cancel);
    test::action(main, "mnuExit")->trigger();
    EXPECT_EQ(boxes.next().text,
              "The configuration has changes that were not saved.Save them before closing?");
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(main.isVisible());

    main.chooseConfigurationFile = [](bool) { return QString(); }; // Save, then cancel the file
    boxes.answerWith(QMessageBox::Save);
    main.close();
    EXPECT_EQ(closes, 1);
    main.chooseConfigurationFile = [&](bool) { return dir.filePath("closing"); };
    boxes.answerWith(QMessageBox::Save);
    main.close();
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(QFile::exists(dir.filePath("closing.qcd")));

    const QString file = writeFile("end.qcd", "<End>\r\n");
    int asked = 0;
    main.chooseConfigurationFile = [&](bool) { return ++asked, file; };
    state.updateButton(0, [&](ButtonConfig& record) { record.Button_type = TypeOff; });
    boxes.answerWith(QMessageBox::Cancel);
    EXPECT_FALSE(main.OpenConfiguration());
    EXPECT_EQ(boxes.seen().last().text, "The configuration has changes that were not saved.Save "
                                        "them before opening another file?");
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(state.isModified());
    boxes.answerWith(QMessageBox::Discard);
    EXPECT_TRUE(main.OpenConfiguration());
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(state.isModified());
    EXPECT_EQ(state.button(0).Button_type, Value(TypeOff)); // what the file does not hold stays

    main.show();
    state.updateButton(1, [&](ButtonConfig& record) { record.Button_type = TypeOn; });
    boxes.answerWith(QMessageBox::Discard);
    main.close();
    EXPECT_EQ(closes, 3);
}
