#include "programming/config_image.h"
#include "project/project_state.h"
#include "ui/buttons/command_notation_edit.h"
#include "ui/buttons/frm_command_editor.h"
#include "ui/buttons/frm_config_buttons.h"
#include "ui/main/frm_main.h"

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

namespace {
// Pastes `text` over what `box` held, as Ctrl+V does.
void paste(QLineEdit* box, const QString& text) {
    box->clear();
    box->setFocus();
    QApplication::clipboard()->setText(text);
    QTest::keySequence(box, QKeySequence::Paste);
}
} // namespace

// The installer pastes a Hitachi power-on frame into port one's secondary string of a dual button.
TEST(CommandEditor, PastedHexCommandLandsInTheRecordTheListAndTheImage) {
    ProjectState state;
    FrmMain main(state);
    state.updatePort(0, [&](CommSets& settings) {
        settings.prsentAs = 2;
    }); // a binary protocol: the editor starts in hex
    FrmConfigButtons* config = main.openButtonConfiguration(3);
    config->findChild<QRadioButton*>("DualUse")->click();
    config->findChild<QPushButton*>("BtnEditOne_1")->click();
    FrmCommandEditor* editor = config->commandEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->editor()->notationBox()->currentText(), "Hex");
    QLineEdit* box = editor->findChild<QLineEdit*>("TxtCommand");

    const char frame[] = "BE EF 03 06 00 BA D2 01 00 00 60 01 00";
    paste(box, frame);
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

// What a manual's text brings into the editor, typed or pasted as an installer would.
TEST(CommandEditor, LookalikeNamesHexInTextAndFramesOverTwoLines) {
    ProjectState state;
    FrmMain main(state);
    state.updatePort(0, [&](CommSets& settings) {
        settings.prsentAs = 1;
    }); // an ASCII protocol: the editor starts in text
    FrmConfigButtons* config = main.openButtonConfiguration(0);
    config->findChild<QPushButton*>("BtnEditOne_0")->click();
    CommandNotationEdit* edit = config->commandEditor()->editor();
    QLineEdit* box = edit->commandBox();
    const auto label = [&](const char* name) { return edit->findChild<QLabel*>(name); };
    ASSERT_EQ(edit->notationBox()->currentText(), "Text");

    // A name that is none stays literal, marked, with the nearest name said.
    QTest::keyClicks(box, "PWR ON<CRR>");
    EXPECT_TRUE(config->commandEditor()->okButton()->isEnabled());
    EXPECT_EQ(edit->parsed().bytes, QByteArray("PWR ON<CRR>"));
    EXPECT_EQ(label("lblWarning")->isHidden() ? QString() : label("lblWarning")->text(),
              "column 7: \"<CRR>\" is no control name, so it is sent "
              "as 5 characters; did you mean <CR>?");

    // Hex pasted while the box reads text: the hint offers hex, and the switch reads it again.
    const QString frame = "BE EF 03 06 00 BA D2 01 00 00 60 01 00";
    paste(box, frame);
    EXPECT_EQ(edit->parsed().bytes.size(), 38); // as text, for now
    EXPECT_FALSE(edit->findChild<QWidget*>("hexHint")->isHidden());
    EXPECT_TRUE(label("lblHexHint")->text().startsWith("This reads as hexadecimal: 13 bytes."));
    edit->findChild<QPushButton*>("cmdReadAsHex")->click();
    EXPECT_EQ(edit->notationBox()->currentText(), "Hex");
    EXPECT_EQ(box->text(), frame); // read again, not converted
    EXPECT_EQ(edit->parsed().bytes, QByteArray::fromHex("BEEF030600BAD2010000600100"));
    EXPECT_TRUE(edit->findChild<QWidget*>("hexHint")->isHidden());

    // Copied over two lines with a tab: separators in hex (and decimal), a fault in text that
    // shows the break without breaking the message.
    paste(box, "BE EF 03 06 00 BA\r\nD2 01 00\t00 60 01 00");
    EXPECT_EQ(edit->parsed().bytes.size(), 13);
    edit->notationBox()->setCurrentText("Text");
    EXPECT_FALSE(config->commandEditor()->okButton()->isEnabled());
    EXPECT_EQ(label("lblFault")->text(),
              "column 18: \"\\r\" is a line break; in text write it as \\r or \\n (<CR>, <LF>)");
}
