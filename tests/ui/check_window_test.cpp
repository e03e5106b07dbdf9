// The monitor's burst view and log, and the Check Panel window on two pseudo-terminals.
#include "platform/qt_serial_line.h"
#include "support/port_env.h"
#include "support/pty_pair.h"
#include "support/test_support.h"
#include "support/ui_helpers.h"
#include "ui/tools/diagnostic_in.h"
#include "ui/tools/frm_check_panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::ui;

TEST(CheckWindows, MonitorNamesBurstsAndCheckTicksBothPorts) {
    test::PtyPair pty1, pty2;
    test::PortMapping ports(pty1.path(), pty2.path());
    QtSerialLineFactory lines;
    QTemporaryDir dir;
    ProjectState state;
    state.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString1(0, ByteList{2, 'O', 'n', 13});
    });
    state.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString2(0, ByteList{0xA5, 1});
    });
    state.updateButton(1, [&](ButtonConfig& record) {
        record.setCommandString2(0, ByteList{0xA5, 2, 2});
    });
    state.setCommandText(0, 0, "On");

    Diagnostic_in monitor(lines, nullptr, &state);
    monitor.setAttribute(Qt::WA_DeleteOnClose, false);
    monitor.findChild<QCheckBox*>(QStringLiteral("chkHexAscii"))->click();
    pty1.send("\x02On\r");
    auto* text = monitor.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    EXPECT_TRUE(test::waitUntil([&] { return text->toPlainText().contains("Button One"); }));
    EXPECT_EQ(text->toPlainText(),
              "02 4F 6E 0D             <STX>On<CR>  = Button One, port one: On");
    ASSERT_TRUE(monitor.saveLog(dir.filePath("monitor.log")).ok());
    EXPECT_TRUE(QString(test::readFile(dir.filePath("monitor.log")))
                    .contains("9600,N,8,1  02 4F 6E 0D  |<STX>On<CR>|  Button One, port one: On"));
    monitor.close();

    FrmCheckPanel check(state, lines);
    check.setAttribute(Qt::WA_DeleteOnClose, false);
    check.choosePort(0, 1);
    check.choosePort(1, 2);
    pty1.send("\x02On\r");
    pty2.send("\xA5\x01\xA5\x02\x03"); // Button One's string, then one byte off Button Two's
    auto* summary = check.findChild<QLabel*>(QStringLiteral("lblSummary"));
    EXPECT_TRUE(test::waitUntil([&] {
        return summary->text() == "Port one: 1 of 1 buttons sent what was programmed\n"
                                  "Port two: 1 of 2 buttons sent what was programmed";
    })) << summary->text().toStdString();
    ASSERT_EQ(check.findChild<QListWidget*>(QStringLiteral("lstUnexpected"))->count(), 1);
    ASSERT_TRUE(check.saveTo(dir.filePath("check.log")).ok());
    EXPECT_TRUE(
        QString(test::readFile(dir.filePath("check.log")))
            .contains("Unexpected on port two: A5 02 03 |<A5><STX><ETX>|, nearest Button Two, "
                      "port two (1 byte apart)"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("check.pdf"));
    EXPECT_TRUE(check.printTo(printer).ok());
    EXPECT_GT(QFile(dir.filePath("check.pdf")).size(), 1000);
}
