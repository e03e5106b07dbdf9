#include "programming/config_image.h"
#include "project/project_state.h"
#include "ui/command_notation_edit.h"
#include "ui/frm_command_editor.h"
#include "ui/frm_config_buttons.h"
#include "ui/frm_main.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::ui;

// The installer pastes a Hitachi power-on frame into port one's secondary string of a dual button.
TEST(CommandEditor, PastedHexCommandLandsInTheRecordTheListAndTheImage) {
    ProjectState state;
    FrmMain main(state);
    state.editPort(0).prsentAs = 2; // a binary protocol: the editor starts in hex
    FrmConfigButtons* config = main.openButtonConfiguration(3);
    config->findChild<QRadioButton*>("DualUse")->click();
    config->findChild<QPushButton*>("BtnEditOne_1")->click();
    FrmCommandEditor* editor = config->commandEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->editor()->notationBox()->currentText(), "Hex");
    QLineEdit* box = editor->findChild<QLineEdit*>("TxtCommand");

    // A placeholder is refused and marked; OK stays off.
    box->setText("BE EF 03 06 00 XX D2 01 00 00 60 01 00");
    EXPECT_FALSE(editor->okButton()->isEnabled());
    EXPECT_TRUE(editor->findChild<QLabel*>("lblFault")->text().startsWith("column 16: \"XX\""));

    const char frame[] = "BE EF 03 06 00 BA D2 01 00 00 60 01 00";
    box->clear();
    box->setFocus();
    QApplication::clipboard()->setText(frame);
    QTest::keySequence(box, QKeySequence::Paste);
    ASSERT_EQ(box->text(), frame);
    EXPECT_EQ(editor->findChild<QLineEdit*>("TxtDecimal")->text(),
              " 190 239 3 6 0 186 210 1 0 0 96 1 0");
    editor->okButton()->click();

    const QByteArray bytes = QByteArray::fromHex("BEEF030600BAD2010000600100");
    EXPECT_EQ(state.button(3).commandString1_2().toBytes(), bytes);
    EXPECT_TRUE(state.button(3).commandString1().isEmpty());
    EXPECT_EQ(config->findChild<QLineEdit*>("TxtPort1_1")->text(),
              " BEH EFH 03H 06H 00H BAH D2H 01H 00H 00H 60H 01H 00H");
    EXPECT_EQ(main.Combo1(3)->currentText(), "Custom");
    EXPECT_EQ(main.Label3(0)->text(), "Custom");
    EXPECT_TRUE(state.isModified());
    const auto image = BuildConfigImage(state);
    ASSERT_TRUE(image.ok()) << qPrintable(image.error().message);
    QByteArray words; // the image holds each byte in a 16-bit word
    for (char c : bytes)
        words.append('\0').append(c);
    EXPECT_TRUE(image.value().bytes.contains(words));
}
