// The projector test end to end: the virtual projector of an ASCII and of a binary family, the
// Projector Test window driven through its controls, and ondrel-cli projector.
#include "catalogue/catalogue.h"
#include "platform/qt_serial_line.h"
#include "support/cli_run.h"
#include "support/port_env.h"
#include "support/pty_program.h"
#include "support/test_support.h"
#include "support/ui_helpers.h"
#include "ui/tools/frm_projector_test.h"

#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace ondrel;

TEST(ProjectorTest, WindowAndCommandLineHearAnAsciiAndABinaryProjector) {
    ONDREL_SKIP_WITHOUT_PTYS();
    const QString program = test::binDir() + "/ondrel-projector";
    const QtSerialLineFactory lines;
    for (const QString model : {"Epson/EB-85", "NEC/P474W"}) {
        SCOPED_TRACE(model.toStdString());
        const QStringList times = {"--model", model, "--warm-up", "1", "--cool-down", "0.3"};
        test::PtyProgram projector(program, times);
        test::PtyProgram wrongBaud(program, times + QStringList{"--wrong-baud"});
        ASSERT_TRUE(projector.ok() && wrongBaud.ok());
        test::PortMapping ports(projector.path(), wrongBaud.path());
        test::MessageBoxes boxes;

        ui::FrmProjectorTest window(Catalogue(test::binDir() + "/Proj.qdb"), lines,
                                    model.section('/', 0, 0), model.section('/', 1));
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        auto* list = window.findChild<QTreeWidget*>("lstExchanges");
        auto lastMeaning = [&] {
            const int n = list->topLevelItemCount();
            return n ? list->topLevelItem(n - 1)->text(2) : QString();
        };
        auto click = [&](const char* combo, const QString& item, const char* button) {
            test::pick(window.findChild<QComboBox*>(combo), item);
            window.findChild<QPushButton*>(button)->click();
        };
        auto ask = [&](int timeoutMs = 3000) { // what the power query's line says
            const int rows = list->topLevelItemCount();
            click("cmbQuery", "power", "cmdAsk");
            EXPECT_TRUE(test::waitUntil(
                [&] { return list->topLevelItemCount() > rows && !window.busy(); }, timeoutMs));
            return lastMeaning();
        };
        test::pick(window.findChild<QComboBox*>("cmbPort"), "One");

        // Switched on, asked while it warms up, asked once it is on.
        click("cmbCommand", "On", "cmdSend");
        auto* waiting = window.findChild<QLabel*>("lblWaiting");
        ASSERT_TRUE(
            test::waitUntil([&] { return list->topLevelItemCount() > 0 || waiting->isVisible(); }));
        if (model.startsWith("Epson")) { // it answers only once warm, and the window says so
            EXPECT_TRUE(waiting->text().contains("Epson EB-85 answers On only once it is done"))
                << waiting->text().toStdString();
        }
        EXPECT_EQ(ask(), "power: warming up");
        test::waitUntil([] { return false; }, 1500);
        EXPECT_EQ(ask(), "power: on");
        // Switching off asks first.
        boxes.answerWith(QMessageBox::Yes);
        click("cmbCommand", "Off", "cmdSend");
        EXPECT_TRUE(boxes.next().text.startsWith("Switch " + model.section('/', 0, 0)));
        EXPECT_TRUE(test::waitUntil([&] { return lastMeaning() == "acknowledged"; }));

        // At the wrong rate: garbage, the checklist, and the try that finds the rate.
        test::pick(window.findChild<QComboBox*>("cmbPort"), "Two");
        EXPECT_TRUE(ask().startsWith("not understood")) << lastMeaning().toStdString();
        auto* checklist = window.findChild<QTextBrowser*>("txtChecklist");
        EXPECT_TRUE(checklist->isVisible() && checklist->toPlainText().contains("Garbage"));
        window.findChild<QPushButton*>("cmdTryBauds")->click();
        EXPECT_TRUE(test::waitUntil([&] { return !window.busy(); }, 15000));
        EXPECT_EQ(window.findChild<QComboBox*>("cmbBaud")->currentText(), "19200");
        EXPECT_TRUE(lastMeaning().startsWith("power: standby")) << lastMeaning().toStdString();
        EXPECT_TRUE(checklist->toPlainText().contains("The projector answers at 19200 baud"));
        window.close();

        // The command line, on projectors of their own.
        test::PtyProgram cliProjector(program, times);
        test::PtyProgram cliWrongBaud(program, times + QStringList{"--wrong-baud"});
        auto cli = [&](const test::PtyProgram& p, const QStringList& args) {
            return test::cli(QStringList{"projector", "--port", p.path(), "--model", model} + args);
        };
        const auto on = cli(cliProjector, {"On"});
        EXPECT_EQ(on.exitCode, 0);
        EXPECT_TRUE(on.out.contains("|  acknowledged  ")) << on.out.toStdString();
        if (model.startsWith("NEC")) { // answered at once: it is still warming up
            const auto warming = cli(cliProjector, {"--query", "power"});
            EXPECT_EQ(warming.exitCode, 0);
            EXPECT_TRUE(warming.out.contains("power: warming up")) << warming.out.toStdString();
            test::waitUntil([] { return false; }, 1200);
        }
        EXPECT_TRUE(cli(cliProjector, {"--query", "power"}).out.contains("|  power: on  "));
        const auto garbage = cli(cliWrongBaud, {"--query", "power"});
        EXPECT_EQ(garbage.exitCode, 1);
        EXPECT_TRUE(garbage.out.contains("Nothing sensible came back. Check:\n  - Garbage:"))
            << garbage.out.toStdString();
        const auto found = cli(cliWrongBaud, {"--query", "power", "--baud", "19200"});
        EXPECT_EQ(found.exitCode, 0);
        EXPECT_TRUE(found.out.contains("power: standby")) << found.out.toStdString();
    }
}
