#include "catalogue/command_assignment.h"
#include "catalogue/user_catalogue.h"
#include "support/test_support.h"
#include "ui/command_notation_edit.h"
#include "ui/frm_main.h"
#include "ui/frm_projector_select.h"
#include "ui/frm_user_models.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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

    main.mnuUserModels->trigger();
    ui::frmUserModels* window = main.userModels();
    ASSERT_NE(window, nullptr);
    window->load("Epson", "EB-85");
    window->editCommand("Computer_1", false);
    window->commandEditor()->commandBox()->setText("SOURCE 12<CR>");
    window->findChild<QPushButton*>("cmdSave")->click();
    ASSERT_EQ(window->lstModels()->count(), 1);
    EXPECT_GE(state.deviceProtocol[0].toInteger(), kUserNumberBase);
    ASSERT_TRUE(chooseCommand(state, catalogue, 0, 4, "Computer_1").ok());
    EXPECT_EQ(state.button(4).commandString1().toBytes(), QByteArray("SOURCE 12\r"));

    main.mnuControl[0]->trigger(); // the model list marks the own model
    ui::frmProjectorSelect* select = main.projectorSelect();
    select->Combo1()->setCurrentText("Epson");
    select->Combo1_Click();
    const int at = select->Combo2()->findText("EB-85");
    EXPECT_TRUE(select->Combo2()->itemData(at, Qt::FontRole).value<QFont>().italic());
    select->close();

    window->lstModels()->setCurrentRow(0);
    window->findChild<QPushButton*>("cmdRemove")->click();
    EXPECT_EQ(window->lstModels()->count(), 0);
    EXPECT_LT(state.deviceProtocol[0].toInteger(), kUserNumberBase);
    QFile::remove(userCataloguePath());
}
