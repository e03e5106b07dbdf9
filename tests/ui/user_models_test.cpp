#include "catalogue/command_assignment.h"
#include "catalogue/user_catalogue.h"
#include "support/test_support.h"
#include "support/ui_helpers.h"
#include "ui/buttons/command_notation_edit.h"
#include "ui/catalogue/frm_projector_select.h"
#include "ui/catalogue/frm_user_models.h"
#include "ui/main/frm_main.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace ondrel;

// The installer corrects a command of the model device #1 uses; the lists follow, and removing
// the own model brings the shipped one back.
TEST(UserModelsWindow, EditingTheModelInUseUpdatesItsLists) {
    ProjectState state;
    ui::FrmMain main(state);
    main.useCatalogue(test::binDir() + "/Proj.qdb");
    const Catalogue catalogue(test::binDir() + "/Proj.qdb", userCataloguePath());
    ASSERT_TRUE(selectModel(state, catalogue, 0, "Epson", "EB-85").value().found);

    test::action(main, "mnuUserModels")->trigger();
    ui::frmUserModels* window = main.userModels();
    ASSERT_NE(window, nullptr);
    window->load("Epson", "EB-85");
    window->editCommand("Computer_1", false);
    window->commandEditor()->commandBox()->setText("SOURCE 12<CR>");
    window->findChild<QPushButton*>("cmdSave")->click();
    ASSERT_EQ(window->lstModels()->count(), 1);
    EXPECT_GE(state.device(0).protocol.toInteger(), kUserNumberBase);
    ASSERT_TRUE(chooseCommand(state, catalogue, 0, 4, "Computer_1").ok());
    EXPECT_EQ(state.button(4).commandString1().toBytes(), QByteArray("SOURCE 12\r"));

    test::action(main, "mnuControl_0")->trigger(); // the model list marks the own model
    ui::frmProjectorSelect* select = main.projectorSelect();
    select->Combo1()->setCurrentText("Epson");
    select->Combo1_Click();
    const int at = select->Combo2()->findText("EB-85");
    EXPECT_TRUE(select->Combo2()->itemData(at, Qt::FontRole).value<QFont>().italic());
    select->close();

    window->lstModels()->setCurrentRow(0);
    window->findChild<QPushButton*>("cmdRemove")->click();
    EXPECT_EQ(window->lstModels()->count(), 0);
    EXPECT_LT(state.device(0).protocol.toInteger(), kUserNumberBase);
}

// Unsaved typing is never thrown away without asking: Esc, "Close", the close box and closing the
// main window all ask, as the main window does for a configuration.
TEST(UserModelsWindow, UnsavedChangesAreAskedAboutBeforeTheWindowCloses) {
    ProjectState state;
    ui::FrmMain main(state);
    main.useCatalogue(test::binDir() + "/Proj.qdb");
    main.closeGuard = [] { return true; }; // the configuration has nothing to save
    test::MessageBoxes boxes;
    QPointer<ui::frmUserModels> window;
    const auto changeAModel = [&] {
        test::action(main, "mnuUserModels")->trigger();
        window = main.userModels();
        window->load("Epson", "EB-85");
        test::typeInto(window->findChild<QLineEdit*>("txtModel"), "EB-85 hall 2");
    };
    changeAModel();
    const std::pair<std::function<void()>, QMessageBox::StandardButton> ways[] = {
        {[&] { QTest::keyClick(window, Qt::Key_Escape); }, QMessageBox::Cancel},
        {[&] { window->close(); }, QMessageBox::Cancel},
        {[&] { EXPECT_FALSE(main.close()); }, QMessageBox::Cancel},
        {[&] { window->findChild<QPushButton*>("cmdClose")->click(); }, QMessageBox::Discard},
        {[&] { changeAModel(), QTest::keyClick(window, Qt::Key_Escape); }, QMessageBox::Save}};
    for (const auto& [close, answer] : ways) {
        boxes.answerWith(answer);
        close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const test::MessageBoxes::Box box = boxes.next();
        EXPECT_EQ(box.title + ": " + box.text, "Your Projector Models: The model has changes that "
                                               "were not saved.Save them before closing?");
        EXPECT_EQ(window.isNull(), answer != QMessageBox::Cancel) << answer;
        EXPECT_EQ(UserCatalogue(userCataloguePath()).models().value().size(),
                  answer == QMessageBox::Save ? 1 : 0);
    }
    test::action(main, "mnuUserModels")->trigger(); // nothing changed since: closes without asking
    main.userModels()->close();
    EXPECT_EQ(boxes.seen().size(), 5);
}

// The window keeps the own models in the own catalogue it is given, which the catalogue it reads
// from lists at once: saved, exported, removed and imported again, and nothing else is written.
TEST(UserModelsWindow, KeepsTheModelsInTheOwnCatalogueItIsGiven) {
    QTemporaryDir dir;
    const QString ownPath = dir.filePath("own.qdb");
    const Catalogue catalogue(test::binDir() + "/Proj.qdb", ownPath);
    UserCatalogue own(ownPath);
    test::MessageBoxes boxes;
    ui::frmUserModels window(catalogue, own);
    window.load("Epson", "EB-85");
    window.findChild<QLineEdit*>("txtModel")->setText("EB-85 hall 2");
    ASSERT_TRUE(window.save());
    EXPECT_TRUE(catalogue.isUserModel("Epson", "EB-85 hall 2"));
    const QString file = dir.filePath("hall.ondrel-model");
    ASSERT_TRUE(window.exportTo(file));
    ASSERT_TRUE(window.removeSelected());
    EXPECT_EQ(window.lstModels()->count(), 0);
    EXPECT_FALSE(catalogue.isUserModel("Epson", "EB-85 hall 2"));
    ASSERT_TRUE(window.importFiles({file}));
    EXPECT_EQ(own.models().value(), (QList<QPair<QString, QString>>{{"Epson", "EB-85 hall 2"}}));
    EXPECT_TRUE(catalogue.models("Epson").value().contains("EB-85 hall 2"));
    EXPECT_TRUE(boxes.seen().isEmpty());
    EXPECT_FALSE(QFile::exists(userCataloguePath()));
}
