// Opening and saving from the main window, the save prompt on closing, and the timer dialog.
#include "files/qcd_file.h"
#include "project/project_state.h"
#include "support/qcd_fixtures.h"
#include "support/test_support.h"
#include "ui/frm_main.h"
#include "ui/timer_dialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::ui::FrmMain;
using ondrel::ui::TimerDialog;

namespace {

// Runs `action` on the next modal window (message box or file dialog) once it is shown.
void onNextModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

// Answers the next message box with `button`, keeping its title, text and icon.
struct Answer {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};
void answerNextMessage(Answer& seen, QMessageBox::StandardButton button = QMessageBox::Ok) {
    onNextModal([&seen, button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr) << w->metaObject()->className();
        seen = {box->windowTitle(), box->text() + box->informativeText(), box->icon()};
        box->button(button)->click();
    });
}

void click(QWidget* w) {
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

QString boxText(FrmMain& main, int i) {
    return main.findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i))->text();
}

TimerDialog* openTimer(FrmMain& main) {
    main.mnuSetupTimer->trigger();
    return main.findChild<TimerDialog*>("timerDialog");
}

class FilesUi : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ProjectState state;
    FrmMain main{state};
    void SetUp() override {
        main.show();
        main.fileDialogFolder = dir.path();
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
};

} // namespace

TEST_F(FilesUi, TimerDialogFromMenuPictureAndBoxes) {
    TimerDialog* dialog = openTimer(main);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "Shut Off Timer");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(), "Enter Timer Length:");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label2")->text(), "Hrs.");
    EXPECT_EQ(dialog->findChild<QLabel*>("Label3")->text(), "Mins.");
    EXPECT_EQ(dialog->OKButton()->objectName(), "OKButton");
    EXPECT_EQ(dialog->CancelButton()->text(), "Cancel");
    dialog->Text1()->setText("2");
    QPointer<TimerDialog> cancelled = dialog;
    dialog->CancelButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(cancelled.isNull());
    EXPECT_FALSE(state.timerMinutes);

    for (const char* name : {"Picture1", "Text1_0", "Text1_1", "Text1_2", "Text1_3"}) {
        click(main.findChild<QWidget*>(name));
        QPointer<TimerDialog> d = main.findChild<TimerDialog*>("timerDialog");
        ASSERT_FALSE(d.isNull()) << name;
        EXPECT_TRUE(d->Text1()->text().isEmpty()); // a new dialog starts empty
        d->close();
        QApplication::processEvents();
    }
}

TEST_F(FilesUi, TimerDialogChecksAndFillsTheDisplay) {
    TimerDialog* dialog = openTimer(main);
    dialog->Text2()->setText("4");
    Answer seen;
    answerNextMessage(seen);
    dialog->OKButton()->click();
    EXPECT_EQ(seen.title, "Re-Enter Timer length");
    EXPECT_EQ(seen.text, "Minimum value is 5 Minutes.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(dialog->Text1()->text(), "0");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(state.timerMinutes);

    // Mended: a negative total is refused with a message, and nothing is stored.
    dialog->Text1()->setText("-1");
    dialog->Text2()->setText("0");
    answerNextMessage(seen);
    dialog->OKButton()->click();
    EXPECT_EQ(seen.text, "The timer length cannot be negative.");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(state.timerMinutes);

    // Mended: a box that is no number is reported; the dialog does not close as if accepted.
    dialog->Text1()->setText("one");
    answerNextMessage(seen);
    dialog->OKButton()->click();
    EXPECT_EQ(seen.text, "Enter the hours and the minutes as numbers, for example 1 and 30.");
    EXPECT_TRUE(dialog->isVisible());

    dialog->Text1()->setText("0");
    dialog->Text2()->setText("5");
    QPointer<TimerDialog> closing = dialog;
    dialog->OKButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(closing.isNull());
    EXPECT_EQ(state.timerMinutes, 5.0);
    EXPECT_EQ(boxText(main, 0), "0:05");
    EXPECT_EQ(boxText(main, 1), "0:04");
    EXPECT_EQ(boxText(main, 2), "0:02");
    EXPECT_EQ(boxText(main, 3), "0:01");

    dialog = openTimer(main);
    dialog->Text1()->setText("1.5");
    dialog->OKButton()->click();
    EXPECT_EQ(state.timerMinutes, 90.0);
    EXPECT_EQ(boxText(main, 1), "1:08");
}

TEST_F(FilesUi, SaveAndOpenThroughTheFileDialog) {
    setUpWorkedExample(state);
    QString filter, folder, title;
    onNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        filter = dialog->nameFilters().join("|");
        folder = dialog->directory().absolutePath();
        title = dialog->objectName();
        dialog->selectFile(dir.filePath("setup"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, as the Save button does
    });
    main.mnuSave->trigger();
    EXPECT_EQ(filter, "Quellar Data (*.qcd)");
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(title, "CommonDialog1");
    QFile saved(dir.filePath("setup.qcd"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), fileBytes(workedExampleLines()));
    EXPECT_EQ(state.currentFileName, dir.filePath("setup.qcd"));

    // Saving again under the bare name: the dialog asks before replacing "setup.qcd".
    QString question;
    onNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(dir.filePath("setup"));
        onNextModal([&](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            question = message->text();
            message->button(QMessageBox::No)->click();
            onNextModal([](QWidget* again) { qobject_cast<QDialog*>(again)->reject(); });
        });
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_FALSE(main.SaveAs());
    EXPECT_TRUE(question.contains("setup.qcd")) << question.toStdString();
    EXPECT_FALSE(state.isModified());

    // Open into a second window: the main window shows what the file holds.
    ProjectState other;
    FrmMain second(other);
    second.show();
    second.useCatalogue(binDir() + "/Proj.qdb");
    onNextModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->selectFile(dir.filePath("setup.qcd"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, as the Open button does
    });
    second.fileDialogFolder = dir.path();
    second.mnuOpenFile->trigger();
    // 'Maker A' is not in the catalogue: a warning that does not block the opened project.
    QMessageBox* warning = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            warning = box;
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->text(),
              "\"" + QDir::toNativeSeparators(dir.filePath("setup.qcd")) +
                  "\" was opened, but:\n\nLine 2: the catalogue has no model \"Model 1\" of "
                  "\"Maker A\"; device #1 keeps its command lists and settings.");
    warning->close();
    EXPECT_EQ(other.timerMinutes, 90.0);
    EXPECT_EQ(boxText(second, 0), "1:30");
    EXPECT_EQ(second.findChild<QLabel*>("Label3_7")->text(), "Maker A Model 1");
    EXPECT_TRUE(second.findChild<QLabel*>("Label3_7")->isVisibleTo(&second));
    EXPECT_EQ(second.findChild<QComboBox*>("Combo1_0")->currentText(), "On");
    EXPECT_TRUE(other.currentFileName.isEmpty()); // only saving sets it
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
    Answer seen;
    answerNextMessage(seen);
    EXPECT_FALSE(main.OpenConfiguration());
    EXPECT_EQ(seen.text,
              "Could not open \"" + QDir::toNativeSeparators(bad) +
                  "\".\n\nLine 72: button type of Button Two is \"x\", not a number from 0 "
                  "to 4.\n\nNothing was changed.");
    EXPECT_EQ(writeQcd(state), before);

    state.markModified();
    main.chooseConfigurationFile = [&](bool) { return dir.filePath("no/such/folder/setup"); };
    answerNextMessage(seen);
    EXPECT_FALSE(main.SaveConfiguration());
    EXPECT_TRUE(seen.text.startsWith("Could not save \"" +
                                     dir.filePath("no/such/folder/setup.qcd") +
                                     "\".\n\nCannot write the file"))
        << seen.text.toStdString();
    EXPECT_TRUE(state.isModified());

    // Cancel in the dialog: nothing happens, no message.
    main.chooseConfigurationFile = [](bool) { return QString(); };
    EXPECT_FALSE(main.SaveAs());
    state.setUnmodified();
    EXPECT_FALSE(main.OpenConfiguration());
}

// Mended: closing with unsaved changes asks first.
TEST_F(FilesUi, ClosingWithUnsavedChangesAsks) {
    int closes = 0;
    QObject::connect(&main, &FrmMain::closed, [&closes] { ++closes; });
    main.close(); // nothing changed: no question
    EXPECT_EQ(closes, 1);

    main.show();
    state.editButton(0).Button_type = TypeOn;
    Answer seen;
    answerNextMessage(seen, QMessageBox::Cancel);
    main.mnuExit->trigger();
    EXPECT_EQ(seen.text,
              "The configuration has changes that were not saved.Save them before closing?");
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(main.isVisible());

    // Save, but cancel the file dialog: still open.
    main.chooseConfigurationFile = [](bool) { return QString(); };
    answerNextMessage(seen, QMessageBox::Save);
    main.close();
    EXPECT_EQ(closes, 1);

    main.chooseConfigurationFile = [&](bool) { return dir.filePath("closing"); };
    answerNextMessage(seen, QMessageBox::Save);
    main.close();
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(QFile::exists(dir.filePath("closing.qcd")));

    main.show();
    state.editButton(1).Button_type = TypeOn;
    answerNextMessage(seen, QMessageBox::Discard);
    main.close();
    EXPECT_EQ(closes, 3);
}

// An open repeats the catalogue lookups for the model it names: the lists get the model's
// commands, while the texts and settings come from the file.
TEST_F(FilesUi, OpenFillsTheCommandListsFromTheCatalogue) {
    main.useCatalogue(binDir() + "/Proj.qdb");
    QStringList lines = workedExampleLines();
    lines[1] = "Epson";
    lines[2] = "EMP-61";
    lines[157] = "Epson EMP-61";
    lines[160] = "1200";
    lines.insert(175, "<Port2.Enable>");
    const QString file = writeFile("epson.qcd", fileBytes(lines));
    main.chooseConfigurationFile = [&](bool) { return file; };
    ASSERT_TRUE(main.OpenConfiguration());
    auto* combo = main.findChild<QComboBox*>("Combo1_0");
    EXPECT_GT(combo->count(), 1);
    EXPECT_EQ(combo->currentText(), "On");
    EXPECT_EQ(main.findChild<QComboBox*>("Combo1_1")->currentText(), "");
    EXPECT_EQ(state.deviceProtocol[0], Value(1));
    EXPECT_EQ(state.port(0).BaudRate, Value(1200));
    EXPECT_TRUE(main.mnuControl[1]->isEnabled());
    EXPECT_TRUE(main.mnuEnable2->isChecked());
    EXPECT_FALSE(
        main.findChild<QComboBox*>("Combo2_0")->isVisibleTo(&main)); // lists stay as they were
    EXPECT_EQ(writeQcd(state), fileBytes(lines));
}

// Opening another file over unsaved changes asks first, too.
TEST_F(FilesUi, OpeningOverUnsavedChangesAsks) {
    const QString file = writeFile("end.qcd", "<End>\r\n");
    int asked = 0;
    main.chooseConfigurationFile = [&](bool) {
        ++asked;
        return file;
    };
    state.editButton(0).Button_type = TypeOn;
    Answer seen;
    answerNextMessage(seen, QMessageBox::Cancel);
    EXPECT_FALSE(main.OpenConfiguration());
    EXPECT_EQ(
        seen.text,
        "The configuration has changes that were not saved.Save them before opening another file?");
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(state.isModified());

    answerNextMessage(seen, QMessageBox::Discard);
    EXPECT_TRUE(main.OpenConfiguration());
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(state.isModified());
    EXPECT_EQ(state.button(0).Button_type, Value(TypeOn)); // what the file does not hold stays
}
