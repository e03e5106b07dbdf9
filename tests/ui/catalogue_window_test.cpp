#include "catalogue/command_assignment.h"
#include "project/project_state.h"
#include "support/catalogue_fixture.h"
#include "support/ui_helpers.h"
#include "ui/catalogue/frm_projector_select.h"
#include "ui/main/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::test::MessageBoxes;
using ondrel::ui::FrmMain;
using ondrel::ui::frmProjectorSelect;

namespace {

class CatalogueWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::writeFixtureCatalogue(dir.filePath("Proj.qdb")));
        main.useCatalogue(dir.filePath("Proj.qdb"));
    }

    frmProjectorSelect* openSelection(int device) {
        test::action(main, QStringLiteral("mnuControl_%1").arg(device))->trigger();
        return main.findChild<frmProjectorSelect*>("frmProjectorSelect");
    }

    // "Select Model", then a manufacturer and a model, then "Select".
    void chooseModel(int device, const QString& manufacturer, const QString& model) {
        frmProjectorSelect* window = openSelection(device);
        ASSERT_NE(window, nullptr);
        test::pick(window->Combo1(), manufacturer);
        test::pick(window->Combo2(), model);
        window->Command1()->click();
        QApplication::processEvents();
    }

    QComboBox* list(int device, int i) {
        return main.findChild<QComboBox*>(QStringLiteral("Combo%1_%2").arg(device + 1).arg(i));
    }

    QTemporaryDir dir;
    ProjectState state;
    FrmMain main{state};
};

} // namespace

TEST_F(CatalogueWindows, SelectionWindowListsMakersThenSortedModels) {
    frmProjectorSelect* window = openSelection(0);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), "Select Device #1");
    ASSERT_EQ(window->Combo1()->count(), 3);
    EXPECT_EQ(window->Combo1()->currentText(), ""); // never a maker without its models
    EXPECT_EQ(window->Combo2()->count(), 0);
    window->Combo1()->setEditText("Acme"); // typed in: its models follow
    EXPECT_EQ(window->Combo2()->currentText(), "A100");
    EXPECT_EQ(window->Combo1()->itemText(2), "O'Neil");
    test::pick(window->Combo1(), "Acme");
    EXPECT_EQ(window->Combo2()->itemText(0), "A100");
    EXPECT_EQ(window->Combo2()->itemText(2), "X200");
    EXPECT_EQ(window->Combo2()->currentText(), "A100");

    // One instance: the second port's item retitles the same window.
    test::action(main, "mnuEnable2")->trigger();
    EXPECT_EQ(openSelection(1), window);
    EXPECT_EQ(window->windowTitle(), "Select Device #2");
}

TEST_F(CatalogueWindows, ModelsForBothDevicesFillTheirListsOnly) {
    chooseModel(0, "Acme", "A100");
    EXPECT_EQ(main.projectorSelect(), nullptr); // "Select" closed it
    EXPECT_EQ(list(0, 9)->currentText(), "Auto_Image");

    test::action(main, "mnuEnable2")->trigger();
    EXPECT_TRUE(test::action(main, "mnuControl_1")->isEnabled());
    EXPECT_FALSE(list(1, 0)->isHidden());
    chooseModel(1, "Zeta", "NoOn");
    EXPECT_EQ(list(1, 0)->currentText(), "");
    EXPECT_EQ(list(1, 1)->currentText(), "Off");
    EXPECT_EQ(main.frmButton(7)->title(), "Button 8");
    EXPECT_EQ(main.Label4(0)->text(), "Zeta NoOn");
    EXPECT_EQ(list(0, 0)->currentText(), "On"); // device #1 keeps its command
    EXPECT_EQ(state.device(0).commandTexts[0], "On");
}

TEST_F(CatalogueWindows, ADoubleClickReappliesTheTypeOfTheButtonChosenLast) {
    chooseModel(0, "Acme", "A100");
    test::pick(list(0, 2), "Mute_Audio");
    EXPECT_EQ(state.button(2).Button_type, Value(TypeToggle));
    state.updateButton(2, [&](ButtonConfig& record) { record.Button_type = TypeOn; });
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list(0, 7)->lineEdit(), &dbl); // whichever list it hits
    EXPECT_EQ(state.button(2).Button_type, Value(TypeToggle));
}

TEST_F(CatalogueWindows, MissingCatalogueIsReportedOnceAndNothingBreaks) {
    const QString missing = dir.filePath("gone/Proj.qdb");
    main.useCatalogue(missing);
    MessageBoxes boxes;
    frmProjectorSelect* window = openSelection(0);
    ASSERT_NE(window, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(boxes.next().text.contains(QDir::toNativeSeparators(missing)));
    EXPECT_EQ(window->Combo1()->count(), 0);
    emit window->Combo1()->activated(0);
    window->Command1()->click();
    EXPECT_TRUE(state.device(0).manufacturer.isEmpty());
    EXPECT_FALSE(state.isModified());
    // "Select" without a model says why nothing happened, and the window stays.
    EXPECT_TRUE(boxes.next().text.contains("Nothing was stored."));
    EXPECT_EQ(boxes.seen().size(), 2);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(CatalogueWindows, EnterInTheMakerListShowsModelsEnterInTheModelListSelects) {
    frmProjectorSelect* window = openSelection(0);
    ASSERT_NE(window, nullptr);
    window->Combo1()->lineEdit()->setFocus();
    window->Combo1()->setEditText("Acme");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window->Combo1()->lineEdit(), &enter);
    QApplication::processEvents();
    EXPECT_EQ(main.projectorSelect(), window);
    EXPECT_EQ(window->Combo2()->currentText(), "A100");
    EXPECT_TRUE(state.device(0).model.isEmpty());
    // Enter in the model list presses "Select", the default button.
    QKeyEvent select(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window->Combo2()->lineEdit(), &select);
    QApplication::processEvents();
    EXPECT_EQ(state.device(0).model, "A100");
}

// An opened configuration file runs the lookups in the core; the lists follow the project.
TEST_F(CatalogueWindows, ListsFollowLookupsMadeWithoutTheWindows) {
    ASSERT_TRUE(createDataset(state, main.catalogue(), 0, "Acme", "M50").value());
    state.setCommandText(0, 1, "Off");
    EXPECT_EQ(list(0, 1)->count(), 9);
    EXPECT_EQ(list(0, 1)->currentText(), "Off");
    EXPECT_EQ(list(0, 0)->currentText(), "");
    EXPECT_EQ(main.Label3(0)->text(), "Acme M50");
    EXPECT_TRUE(state.button(1).commandString1().isEmpty()); // no default selection
}
