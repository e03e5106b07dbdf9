// An installer's whole first configuration, driven only through the windows: models for both
// devices, a changed command, a custom string typed byte by byte, relays, the timer, a saved file
// reopened into a fresh main window, and the upload to the virtual panel, whose decoded table must
// match what the windows showed.
#include "programming/programming.h"
#include "project/project_state.h"
#include "project/text_codec.h"
#include "support/test_support.h"
#include "support/ui_helpers.h"
#include "support/virtual_panel.h"
#include "tools/shutoff_timer.h"
#include "ui/main/frm_main.h"
#include "ui/main/panel_programming.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::ui::FrmMain;

namespace {

std::string str(const QString& text) {
    return text.toStdString();
}

template <typename T = QWidget> T* control(QWidget* root, const QString& name) {
    T* w = root ? root->findChild<T*>(name) : nullptr;
    EXPECT_NE(w, nullptr) << qPrintable(name);
    return w;
}

// A click near the left end, where an option's circle or a check box's square is.
void press(QWidget* root, const QString& name) {
    if (auto* b = control<QAbstractButton>(root, name))
        QTest::mouseClick(b, Qt::LeftButton, {},
                          QPoint(std::min(8, b->width() / 2), b->height() / 2));
}

void type(QWidget* root, const QString& name, const QString& text) {
    if (auto* box = control<QLineEdit>(root, name))
        typeInto(box, text);
}

// Chooses `text` in a list with the arrow keys, as someone does who tabbed into it.
void choose(QComboBox* combo, const QString& text) {
    ASSERT_NE(combo, nullptr);
    const int target = combo->findText(text);
    ASSERT_GE(target, 0) << qPrintable(text);
    combo->setFocus();
    while (combo->currentIndex() != target) {
        const int before = combo->currentIndex();
        QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_NE(combo->currentIndex(), before) << qPrintable(text);
    }
}

void triggerMenu(FrmMain& main, const QString& name) {
    auto* action = control<QAction>(&main, name);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << qPrintable(name);
    action->trigger();
}

void fileDialogAnswer(const QString& path) {
    onNextFileDialog([path](QFileDialog* dialog) {
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept(); // as its Save or Open button does
    });
}

// "Select Model" > "Control Port N", then a maker, a model and "Select".
void selectModel(FrmMain& main, int port, const QString& maker, const QString& model) {
    triggerMenu(main, QStringLiteral("mnuControl_%1").arg(port));
    QWidget* select = openWindow(&main, QStringLiteral("frmProjectorSelect"));
    ASSERT_NE(select, nullptr);
    choose(control<QComboBox>(select, QStringLiteral("Combo1")), maker);
    choose(control<QComboBox>(select, QStringLiteral("Combo2")), model);
    press(select, QStringLiteral("Command1"));
    ASSERT_TRUE(
        waitUntil([&] { return !openWindow(&main, QStringLiteral("frmProjectorSelect")); }));
}

// The bytes of a command box in the form the window shows them: " 02H 50H" for binary
// protocols, "PWR ON <CR> " for ASCII ones.
QByteArray shownBytes(const QString& text, bool hexadecimal) {
    QByteArray bytes;
    if (hexadecimal) {
        for (const QString& token : text.split(u' ', Qt::SkipEmptyParts))
            bytes.append(char(token.chopped(1).toInt(nullptr, 16)));
        return bytes;
    }
    QString plain = text;
    return toWindows1252(plain.replace(QStringLiteral(" <CR> "), QStringLiteral("\r")));
}

QString decimal(const QByteArray& bytes) {
    QStringList numbers;
    for (char c : bytes)
        numbers << QString::number(quint8(c));
    return numbers.isEmpty() ? QStringLiteral("none") : numbers.join(u' ');
}

// What the button configuration window shows for one button: the checked type's caption and the
// four command boxes as decimal bytes (port one, port one secondary, port two, port two
// secondary; "none" for an empty box).
struct ShownButton {
    QString type;
    std::array<QString, 4> strings;
    std::string text() const {
        return QStringLiteral("%1 | %2")
            .arg(type, QStringList(strings.begin(), strings.end()).join(" | "))
            .toStdString();
    }
};

ShownButton showButton(FrmMain& main, int index, bool portOneHex, bool portTwoHex) {
    ShownButton shown;
    press(&main, QStringLiteral("cmdReConfig_%1").arg(index));
    // The first time, the configuration opens once the custom-setup warning is answered.
    waitUntil([&] { return openWindow(&main, QStringLiteral("FrmConfigButtons")); });
    QWidget* dialog = openWindow(&main, QStringLiteral("FrmConfigButtons"));
    EXPECT_NE(dialog, nullptr);
    if (!dialog)
        return shown;
    for (int t = 0; t < 5; ++t)
        if (auto* option = control<QAbstractButton>(dialog, QStringLiteral("ButtonType_%1").arg(t));
            option && option->isChecked())
            shown.type = option->text().trimmed();
    auto box = [&](const char* name, bool hex) {
        return decimal(
            shownBytes(control<QLineEdit>(dialog, QString::fromLatin1(name))->text(), hex));
    };
    shown.strings = {box("TxtPort1_0", portOneHex), box("TxtPort1_1", portOneHex),
                     box("TxtPort2_0", portTwoHex), box("TxtPort2_1", portTwoHex)};
    return shown;
}

// One button of the panel's decoded configuration table.
struct PanelButton {
    QString type;
    QStringList extras;             // "repeating", "relay one momentary", ...
    QMap<QString, QString> strings; // "port one first" -> "2 80 3"
};

struct PanelTable {
    QString portOne, portTwo; // "9600 baud, no parity"
    QString timer;            // "90"
    std::vector<PanelButton> buttons;
};

PanelTable parseDecoded(const QString& text) {
    PanelTable table;
    static const QRegularExpression button(
        QStringLiteral("^Button (\\d+): (\\w+) \\(type word \\d+\\)(?:, ([^;]*))?; state"));
    static const QRegularExpression command(QStringLiteral("^  (port \\w+ \\w+): (.*)$"));
    static const QRegularExpression port(QStringLiteral("^Port (one|two): (.*) \\(setting"));
    static const QRegularExpression timer(QStringLiteral("^Timer: (\\d+) minutes"));
    for (const QString& line : text.split(u'\n')) {
        if (auto m = button.match(line); m.hasMatch()) {
            table.buttons.push_back(
                {m.captured(2), m.captured(3).split(QStringLiteral(", "), Qt::SkipEmptyParts), {}});
        } else if (auto c = command.match(line); c.hasMatch() && !table.buttons.empty()) {
            table.buttons.back().strings[c.captured(1)] = c.captured(2);
        } else if (auto p = port.match(line); p.hasMatch()) {
            (p.captured(1) == QLatin1String("one") ? table.portOne : table.portTwo) = p.captured(2);
        } else if (auto t = timer.match(line); t.hasMatch()) {
            table.timer = t.captured(1);
        }
    }
    return table;
}

// The panel sends a port's secondary string first when there is one.
std::pair<QString, QString> panelOrder(const QString& primary, const QString& secondary) {
    if (secondary != QLatin1String("none"))
        return {secondary, primary};
    return {primary, secondary};
}

} // namespace

TEST(Journey, FirstConfigurationFromModelChoiceToProgrammedPanel) {
    ONDREL_SKIP_WITHOUT_PTYS();
    QTemporaryDir dir;
    MessageBoxes boxes;
    const QString file = dir.filePath("lecture-hall.qcd");

    ProjectState state;
    FrmMain main(state);
    main.useCatalogue(binDir() + QStringLiteral("/Proj.qdb"));
    main.fileDialogFolder = dir.path();
    main.show();

    // Device #1 speaks a binary protocol, device #2 an ASCII one.
    selectModel(main, 0, QStringLiteral("NEC"), QStringLiteral("VT695"));
    triggerMenu(main, QStringLiteral("mnuEnable2"));
    selectModel(main, 1, QStringLiteral("Epson"), QStringLiteral("EMP-61"));
    EXPECT_EQ(str(main.Label3(0)->text()), str("NEC VT695"));
    EXPECT_EQ(str(main.Label4(0)->text()), str("Epson EMP-61"));

    // Button Three sends a different command on port one.
    QComboBox* list = control<QComboBox>(&main, QStringLiteral("Combo1_2"));
    ASSERT_NE(list, nullptr);
    const QString changed = list->itemText(list->count() - 1);
    choose(list, changed);
    EXPECT_EQ(str(state.device(0).commandTexts[2]), str(changed));

    // Button Five gets a custom port-one string, typed byte by byte, and becomes a Toggle.
    press(&main, QStringLiteral("cmdReConfig_4"));
    ASSERT_TRUE(waitUntil([&] {
        return boxes.seen().size() == 1 && openWindow(&main, QStringLiteral("FrmConfigButtons"));
    })); // the one-time warning
    QWidget* config = openWindow(&main, QStringLiteral("FrmConfigButtons"));
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(str(config->windowTitle()), str("Button Five Configuration"));
    press(config, QStringLiteral("ButtonType_4"));
    press(config, QStringLiteral("BtnCnfgOne_0"));
    QWidget* count = openWindow(&main, QStringLiteral("DlgBtnSetUp"));
    ASSERT_NE(count, nullptr);
    type(count, QStringLiteral("ByteNumber"), QStringLiteral("5"));
    press(count, QStringLiteral("OKButton"));
    QWidget* entry = openWindow(&main, QStringLiteral("FrmStringEnter"));
    ASSERT_NE(entry, nullptr);
    // STX and ETX from the lists, the rest typed: "50" is hexadecimal, a single character its code.
    choose(control<QComboBox>(entry, QStringLiteral("StrtChr")), QStringLiteral("STX"));
    choose(control<QComboBox>(entry, QStringLiteral("EndChr")), QStringLiteral("ETX"));
    type(entry, QStringLiteral("Str_Byte_1"), QStringLiteral("50"));
    type(entry, QStringLiteral("Str_Byte_2"), QStringLiteral("O"));
    type(entry, QStringLiteral("Str_Byte_3"), QStringLiteral("N"));
    press(entry, QStringLiteral("OKButton"));
    ASSERT_TRUE(waitUntil([&] { return !openWindow(&main, QStringLiteral("FrmStringEnter")); }));
    EXPECT_EQ(str(control<QLineEdit>(config, QStringLiteral("TxtPort1_0"))->text()),
              " 02H 50H 4FH 4EH 03H");
    press(config, QStringLiteral("BtnFinalize"));

    // Relays: relay one of Button One, relay two of Button Three pulse.
    triggerMenu(main, QStringLiteral("RL1_0"));
    triggerMenu(main, QStringLiteral("RL3_1"));

    // Shut-off timer: 1 hour 30 minutes.
    triggerMenu(main, QStringLiteral("mnuSetupTimer"));
    QWidget* timer = openWindow(&main, QStringLiteral("timerDialog"));
    ASSERT_NE(timer, nullptr);
    type(timer, QStringLiteral("Text1"), QStringLiteral("1"));
    type(timer, QStringLiteral("Text2"), QStringLiteral("30"));
    press(timer, QStringLiteral("OKButton"));
    EXPECT_EQ(str(main.Text1(0)->text()), str("1:30"));

    fileDialogAnswer(file);
    triggerMenu(main, QStringLiteral("mnuSave"));
    EXPECT_FALSE(state.isModified());
    ASSERT_TRUE(QFile::exists(file)) << boxes.seen().size() << " boxes";

    // A fresh start opens the file.
    ProjectState reopenedState;
    FrmMain reopened(reopenedState);
    reopened.useCatalogue(binDir() + QStringLiteral("/Proj.qdb"));
    reopened.fileDialogFolder = dir.path();
    reopened.show();
    fileDialogAnswer(file);
    triggerMenu(reopened, QStringLiteral("mnuOpenFile"));
    for (int i = 0; i < kButtonCount; ++i) {
        EXPECT_EQ(str(reopened.Combo1(i)->currentText()), str(main.Combo1(i)->currentText())) << i;
        EXPECT_EQ(str(reopened.Combo2(i)->currentText()), str(main.Combo2(i)->currentText())) << i;
        EXPECT_EQ(str(reopened.Label3(i)->text()), str(main.Label3(i)->text())) << i;
        EXPECT_EQ(str(reopened.Label4(i)->text()), str(main.Label4(i)->text())) << i;
        for (int r = 0; r < 2; ++r) {
            const QString item = QStringLiteral("RL%1_%2").arg(i + 1).arg(r);
            EXPECT_EQ(control<QAction>(&reopened, item)->isChecked(),
                      control<QAction>(&main, item)->isChecked())
                << qPrintable(item);
        }
    }
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(str(reopened.Text1(t)->text()), str(main.Text1(t)->text()));

    std::array<ShownButton, kButtonCount> before, after;
    for (int i = 0; i < kButtonCount; ++i) {
        before[size_t(i)] = showButton(main, i, true, false);
        after[size_t(i)] = showButton(reopened, i, true, false);
        EXPECT_EQ(after[size_t(i)].text(), before[size_t(i)].text()) << i;
    }
    EXPECT_EQ(after[4].type.toStdString(), "Toggle");
    EXPECT_EQ(after[4].strings[0].toStdString(), "2 80 79 78 3");

    // Upload to the virtual panel, which the tool reaches as upload port 1.
    VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    qputenv("ONDREL_PORT1", panel.path().toLocal8Bit());
    const struct ForgetPort {
        ~ForgetPort() { qunsetenv("ONDREL_PORT1"); }
    } forgetPort;
    writeProgramFolder(dir.path(), 8);
    reopened.programming().programDir = dir.path();
    triggerMenu(reopened, QStringLiteral("uploadport_1"));
    press(&reopened, QStringLiteral("Command1"));
    const auto seenTexts = [&] {
        QStringList texts;
        for (const MessageBoxes::Box& box : boxes.seen())
            texts << box.title + QStringLiteral(": ") + box.text;
        return texts;
    };
    const QString done = QStringLiteral("Programming Complete: Upload Complete.");
    ASSERT_TRUE(waitUntil([&] { return seenTexts().contains(done); }, 20000))
        << qPrintable(seenTexts().join('\n'));
    triggerMenu(reopened, QStringLiteral("mnuViewDta"));
    QWidget* uploadData = openWindow(&reopened, QStringLiteral("upload"));
    ASSERT_NE(uploadData, nullptr);
    const QString report =
        control<QPlainTextEdit>(uploadData, QStringLiteral("Text1"))->toPlainText();
    panel.stop();
    const PanelTable table = parseDecoded(panel.decoded());
    ASSERT_EQ(table.buttons.size(), size_t(kButtonCount)) << qPrintable(panel.decoded());

    // The panel holds what the windows showed: timer, port settings, each button's type, relay
    // marks and command bytes.
    EXPECT_EQ(str(table.timer), std::to_string(*TimerTextToMinutes(reopened.Text1(0)->text())));
    EXPECT_TRUE(report.contains(QStringLiteral("Timer: 0 90"))) << qPrintable(report);
    for (int p = 0; p < 2; ++p) {
        triggerMenu(reopened, QStringLiteral("mnuPort_%1").arg(p));
        QWidget* settings = openWindow(&reopened, QStringLiteral("frmControlPortSettings"));
        ASSERT_NE(settings, nullptr);
        const QString parity =
            control<QComboBox>(settings, QStringLiteral("cmbParity"))->currentText();
        const QString shown =
            control<QComboBox>(settings, QStringLiteral("cmbBaudRate"))->currentText() +
            QStringLiteral(" baud, ") + parity.toLower() + QStringLiteral(" parity");
        EXPECT_EQ(str(p == 0 ? table.portOne : table.portTwo),
                  str(QString(shown).replace("none parity", "no parity")));
        settings->close();
    }
    for (int i = 0; i < kButtonCount; ++i) {
        const ShownButton& shown = after[size_t(i)];
        const PanelButton& held = table.buttons[size_t(i)];
        EXPECT_EQ(str(held.type), str(shown.type)) << i;
        for (int r = 0; r < 2; ++r) {
            const bool marked =
                control<QAction>(&reopened, QStringLiteral("RL%1_%2").arg(i + 1).arg(r))
                    ->isChecked();
            EXPECT_EQ(held.extras.contains(r == 0 ? "relay one momentary" : "relay two momentary"),
                      marked)
                << i << " relay " << r;
        }
        const auto [oneFirst, oneSecond] = panelOrder(shown.strings[0], shown.strings[1]);
        const auto [twoFirst, twoSecond] = panelOrder(shown.strings[2], shown.strings[3]);
        EXPECT_EQ(str(held.strings.value("port one first")), str(oneFirst)) << i;
        EXPECT_EQ(str(held.strings.value("port one second")), str(oneSecond)) << i;
        EXPECT_EQ(str(held.strings.value("port two first")), str(twoFirst)) << i;
        EXPECT_EQ(str(held.strings.value("port two second")), str(twoSecond)) << i;
    }

    // No message on the way but each main window's one-time custom-setup warning and the end of
    // the upload.
    QStringList seen = seenTexts();
    ASSERT_EQ(seen.size(), 3) << qPrintable(seen.join('\n'));
    EXPECT_EQ(str(seen.takeLast()), str(done));
    for (const QString& text : seen)
        EXPECT_TRUE(text.startsWith("Corvane Ondrel: You are entering custom setup!"))
            << qPrintable(text);
}
