// The programming windows driven like an installer would, against the virtual panel on a
// pseudo-terminal reached as upload port 1.
#include "app_paths.h"
#include "panel_core.h"
#include "platform/qt_serial_line.h"
#include "programming/config_image.h"
#include "programming/programming_history.h"
#include "project/project_state.h"
#include "support/port_env.h"
#include "support/qcd_fixtures.h"
#include "support/ser2net.h"
#include "support/ui_helpers.h"
#include "support/virtual_panel.h"
#include "ui/main/frm_main.h"
#include "ui/main/panel_programming.h"
#include "ui/main/programming_windows.h"
#include "ui/settings/frm_serial_ports.h"
#include "ui/tools/diagnostic_in.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::panel::PanelMemory;
using ondrel::test::VirtualPanel;
using ondrel::ui::FrmMain;
using ondrel::ui::PanelProgramming;

namespace {

// A configured project, a program folder with firmware and factory data, a main window whose
// upload port 1 is the virtual panel, and quick time-outs.
class Programming : public ::testing::Test {
protected:
    void startPanel(const QStringList& faults = {}) {
        panel_ = std::make_unique<VirtualPanel>(faults);
        ASSERT_TRUE(panel_->ok());
        ports_ = std::make_unique<test::PortMapping>(panel_->path());
        test::writeProgramFolder(dir_.path(), 8);
        test::setUpWorkedExample(state_);
        main_ = std::make_unique<FrmMain>(state_);
        main_->show();
        PanelProgramming& p = main_->programming();
        p.programDir = dir_.path();
        p.options.blockTimeoutMs = 150;
        p.options.pollIntervalMs = 20;
        p.options.tries = 2;
        p.options.failedBlocksToStop = 2;
    }
    void TearDown() override {
        main_.reset();
        EXPECT_EQ(boxes_.next(50).text, QString()) << "a message box nobody looked at";
    }

    PanelProgramming& programming() { return main_->programming(); }
    PanelMemory memory() { return panel_->memory(); }
    // Every programming command and upload port item, enabled (1), disabled (0) or mixed (-1).
    int commandsEnabled() const {
        const QList<QObject*> all{main_->uploadButton(),
                                  main_->restoreButton(),
                                  test::action(*main_, "mnuUpload"),
                                  test::action(*main_, "mnuRestore"),
                                  test::action(*main_, "mnuFrmWare"),
                                  test::action(*main_, "uploadport_1"),
                                  test::action(*main_, "uploadport_2"),
                                  test::action(*main_, "uploadport_3")};
        int enabled = 0;
        for (QObject* o : all)
            enabled += o->property("enabled").toBool();
        return enabled == all.size() ? 1 : enabled == 0 ? 0 : -1;
    }
    QString reportBox() { return programming().upload()->Text1()->toPlainText(); }
    // Picks `path` in the firmware file dialog that "Update Firmware" opens.
    void chooseFirmware(const QString& path) {
        test::action(*main_, "mnuFrmWare")->trigger();
        QFileDialog* dialog = programming().firmwareDialog();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(path);                         // typed in, as an installer would
        QMetaObject::invokeMethod(dialog, "accept"); // what "Open" does
        ASSERT_FALSE(dialog->isVisible());
    }

    QTemporaryDir dir_;
    std::unique_ptr<VirtualPanel> panel_;
    std::unique_ptr<test::PortMapping> ports_;
    ProjectState state_;
    std::unique_ptr<FrmMain> main_;
    test::MessageBoxes boxes_;
};

} // namespace

TEST_F(Programming, UploadShowsPromptProgressAndReportAndLeavesTheImageInThePanel) {
    startPanel({QStringLiteral("--reset-delay"), QStringLiteral("150")});
    const Result<ConfigImage> image = BuildConfigImage(state_);
    ASSERT_TRUE(image.ok());
    ui::ProgressWindow* dialog1 = programming().progressWindow();
    QStringList captions;
    int highest = 0;
    QObject::connect(dialog1, &QWidget::windowTitleChanged,
                     [&](const QString& t) { captions << t; });
    QObject::connect(dialog1->ProgressBar1(), &QProgressBar::valueChanged,
                     [&](int v) { highest = std::max(highest, v); });

    main_->uploadButton()->click();
    ui::ResetPrompt* prompt = programming().resetPrompt();
    ASSERT_TRUE(test::waitUntil([&] { return prompt->isVisible(); }, 2000));
    EXPECT_EQ(prompt->windowTitle(), "Kestrun");
    EXPECT_EQ(prompt->Label1()->text(), "Press Reset");
    EXPECT_TRUE(prompt->isModal());
    EXPECT_EQ(commandsEnabled(), 0);
    EXPECT_TRUE(test::action(*main_, "mnuViewDta")->isEnabled());
    EXPECT_TRUE(reportBox().isEmpty());

    const test::MessageBoxes::Box done = boxes_.next(10000);
    EXPECT_EQ(done.title + ": " + done.text, "Programming Complete: Upload Complete.");
    EXPECT_EQ(done.icon, QMessageBox::NoIcon);
    EXPECT_FALSE(programming().upload()->isVisible()) << "hidden once the message is answered";
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_FALSE(dialog1->isVisible());
    EXPECT_EQ(commandsEnabled(), 1);
    EXPECT_EQ(captions, QStringList({"Uploading Firmware", "Programming...."}));
    EXPECT_EQ(highest, int(image.value().bytes.size()));
    EXPECT_EQ(reportBox(), QString(image.value().report).replace("\r\n", "\n"));

    const PanelMemory panel = memory();
    EXPECT_EQ(panel.read(0x1600, int(image.value().bytes.size())), image.value().bytes);
}

// Port 1 given a serial server's address in PC Serial Ports: the upload runs through ser2net
// (telnet with RFC 2217), and the prompt says once what the server could not set.
TEST_F(Programming, UploadThroughASerialServerTypedInAsPortOne) {
    startPanel({QStringLiteral("--reset-delay"), QStringLiteral("300")});
    test::Ser2net server(panel_->path(), test::Ser2net::Mode::Rfc2217);
    ASSERT_TRUE(server.ok());
    qunsetenv("ONDREL_PORT1"); // the window's choice counts
    auto* ports = new ui::FrmSerialPorts([] { return QList<SerialDevice>(); }, userSettingsPath(),
                                         main_.get());
    ports->cmbPort(1)->setCurrentText(server.address());
    ports->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    EXPECT_EQ(QtSerialLineFactory().deviceForPort(1).value(), server.address());

    main_->uploadButton()->click();
    ui::ResetPrompt* prompt = programming().resetPrompt();
    ASSERT_TRUE(test::waitUntil([&] { return prompt->isVisible(); }, 3000));
    auto* notice = prompt->findChild<QLabel*>(QStringLiteral("lblLineNotice"));
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains("cannot set DTR and RTS")) << notice->text().toStdString();
    const test::MessageBoxes::Box done = boxes_.next(10000);
    EXPECT_EQ(done.title + ": " + done.text, "Programming Complete: Upload Complete.");
    const Result<ConfigImage> image = BuildConfigImage(state_);
    EXPECT_EQ(memory().read(0x1600, int(image.value().bytes.size())), image.value().bytes);
}

TEST_F(Programming, EscAtThePromptSendsNothingAndLeavesTheReportEmpty) {
    startPanel({QStringLiteral("--reset-delay"), QStringLiteral("100000")});
    programming().upload()->Text1()->setPlainText(QStringLiteral("report of an earlier upload"));
    bool ended = false;
    QObject::connect(&programming(), &PanelProgramming::finished, [&] { ended = true; });
    test::action(*main_, "mnuUpload")->trigger();
    ui::ResetPrompt* prompt = programming().resetPrompt();
    ASSERT_TRUE(test::waitUntil([&] { return prompt->isVisible(); }, 2000));
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(prompt, Qt::Key_Escape);
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_EQ(prompt->shouldexit, 1);
    ASSERT_TRUE(test::waitUntil([&] { return ended; }, 2000));
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_EQ(commandsEnabled(), 1);
    EXPECT_EQ(boxes_.next(300).text, QString()) << "a skipped upload says nothing";
    EXPECT_TRUE(reportBox().isEmpty());
    EXPECT_EQ(memory().writtenCount(), 0);
}

// Once the panel answered, the report window comes up beside the progress; Cancel on the
// progress, or Esc on either window, stops between two blocks, says the panel is part-written and
// records the run as cancelled.
TEST_F(Programming, CancelOrEscWhileTheImageIsWrittenStopsAndIsRecordedAsCancelled) {
    for (const char* way : {"Cancel", "Esc on Upload Data", "Esc on the progress"}) {
        SCOPED_TRACE(way);
        QFile::remove(historyFilePath());
        startPanel({QStringLiteral("--write-ms"), QStringLiteral("200")}); // 8 blocks, 1.6 s
        programming().options.blockTimeoutMs = 400;
        ui::ProgressWindow* progress = programming().progressWindow();
        main_->uploadButton()->click();
        ASSERT_TRUE(test::waitUntil(
            [&] {
                return progress->windowTitle() == "Programming...." &&
                       progress->ProgressBar1()->value() > 0;
            },
            10000));
        EXPECT_TRUE(programming().upload()->isVisible());
        QWidget* window = progress;
        if (QString(way).contains("Upload"))
            window = programming().upload();
        QApplication::setActiveWindow(window); // where the installer presses it
        way[0] == 'C' ? QTest::mouseClick(progress->cancelButton(), Qt::LeftButton)
                      : QTest::keyClick(window, Qt::Key_Escape);
        const test::MessageBoxes::Box told = boxes_.next(5000);
        EXPECT_TRUE(
            (told.title + ": " + told.text).startsWith("Error: Programming was cancelled") &&
            told.text.contains("incomplete"))
            << told.text.toStdString();
        const QList<HistoryRecord> records = readHistory().value().records;
        ASSERT_EQ(records.size(), 1);
        EXPECT_EQ(records[0].result + ": " + records[0].failure.left(31),
                  "cancelled: Programming was cancelled after");
        const QByteArray image = BuildConfigImage(state_).value().bytes;
        EXPECT_NE(memory().read(0x1600, int(image.size())), image) << "part-written";
        main_.reset();
        ports_.reset();
    }
}

TEST_F(Programming, ClosingTheMainWindowAtThePromptGivesUpAndFreesThePort) {
    startPanel({QStringLiteral("--reset-delay"), QStringLiteral("100000")});
    main_->uploadButton()->click();
    ASSERT_TRUE(test::waitUntil([&] { return programming().resetPrompt()->isVisible(); }, 2000));
    QElapsedTimer timer;
    timer.start();
    main_->closeGuard = [] { return true; }; // no save prompt
    main_->close();
    main_.reset();
    EXPECT_LT(timer.elapsed(), 1000);
    QtSerialLine line(panel_->path());
    EXPECT_TRUE(line.open(SerialSettings{}).ok()) << "the upload line was left open";
}

TEST_F(Programming, APanelThatStopsAnsweringEndsWithErrorWhileTheWindowStaysAlive) {
    // The firmware line and two blocks go through, then the panel falls silent.
    startPanel({QStringLiteral("--stop-after"), QStringLiteral("3")});
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    tick.start(10);
    main_->uploadButton()->click();
    const test::MessageBoxes::Box shown = boxes_.next(10000);
    tick.stop();
    EXPECT_EQ(shown.title, "Error");
    EXPECT_EQ(shown.icon, QMessageBox::Warning);
    EXPECT_TRUE(shown.text.contains("stopped answering")) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains("0x1610")) << shown.text.toStdString();
    EXPECT_LT(longestGap, 400) << "the window thread was blocked";
    EXPECT_EQ(boxes_.next(300).text, QString()) << "no \"Upload Complete.\" after the error";
    EXPECT_EQ(commandsEnabled(), 1);
}

TEST_F(Programming, RestoreWritesTheFactoryDataAfterClosingTheMonitorsPort) {
    startPanel();
    // The monitor watches port 1, the upload port: the restore needs it back.
    test::action(*main_, "mnuIncmDta")->trigger();
    auto* monitor = main_->findChild<ui::Diagnostic_in*>();
    ASSERT_NE(monitor, nullptr);
    ASSERT_TRUE(monitor->isPortOpen());
    main_->restoreButton()->click();
    EXPECT_FALSE(monitor->isPortOpen());
    const test::MessageBoxes::Box done = boxes_.next(15000);
    EXPECT_EQ(done.title + ": " + done.text, "Programming Complete: Upload Complete.");
    EXPECT_TRUE(reportBox().isEmpty());
    EXPECT_EQ(memory().read(0x1600, 4), QByteArray("\1\2\3\0", 4));
}

TEST_F(Programming, FirmwareUpdateFromTheChosenFile) {
    startPanel();
    test::action(*main_, "mnuFrmWare")->trigger();
    QFileDialog* dialog = programming().firmwareDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Firmware");
    EXPECT_EQ(dialog->nameFilters(), QStringList{"*.HEX"});
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(),
              QDir(dir_.filePath("firmware")).canonicalPath());
    dialog->reject();
    EXPECT_EQ(boxes_.next(200).text, QString()) << "a cancelled choice ends quietly";

    const QString file = dir_.filePath(QStringLiteral("firmware/NEW.HEX"));
    test::writeFile(file, generateFirmwareHex(24).toLatin1());
    chooseFirmware(file);
    const test::MessageBoxes::Box done = boxes_.next(5000);
    EXPECT_EQ(done.title + ": " + done.text,
              "Upload Complete: New firmware was successfully loaded");
    EXPECT_EQ(memory().writtenCount(), 48);
}

TEST_F(Programming, FirmwareWithAReservedAddressIsRefusedBeforeAnythingIsSent) {
    startPanel();
    // A word address in the reserved range: refused before anything is sent.
    const QString reserved = dir_.filePath(QStringLiteral("firmware/BAD.HEX"));
    test::writeFile(reserved, ":02400E00FF3F72\r\n:00000001FF\r\n");
    chooseFirmware(reserved);
    const test::MessageBoxes::Box range = boxes_.next(3000);
    EXPECT_EQ(range.text, "Invalid address range");
    EXPECT_EQ(range.title, QApplication::applicationDisplayName());
    const test::MessageBoxes::Box failed = boxes_.next(1000);
    EXPECT_EQ(failed.title + ": " + failed.text, "Failure: Firmware Failed to Load");
    EXPECT_EQ(failed.icon, QMessageBox::Critical);
    EXPECT_EQ(memory().writtenCount(), 0);
}

TEST_F(Programming, UploadPortItemsNameTheirDeviceAndNothingStartsWithoutAPortOrAValidImage) {
    startPanel();
    emit test::menu(*main_, "mnuCommSett")->aboutToShow();
    EXPECT_TRUE(test::action(*main_, "uploadport_1")->statusTip().contains(panel_->path()));
    EXPECT_EQ(test::action(*main_, "uploadport_1")->toolTip(),
              test::action(*main_, "uploadport_1")->statusTip());
    EXPECT_FALSE(test::action(*main_, "uploadport_2")->statusTip().isEmpty());

    // A configuration the panel cannot take is refused before the port is touched.
    const Value type = state_.button(2).Button_type;
    state_.updateButton(2, [&](ButtonConfig& record) { record.Button_type = 9; });
    main_->uploadButton()->click();
    const test::MessageBoxes::Box refused = boxes_.next(3000);
    EXPECT_EQ(refused.title, "Error");
    EXPECT_TRUE(refused.text.startsWith("Button 3")) << refused.text.toStdString();
    EXPECT_FALSE(programming().resetPrompt()->isVisible());
    state_.updateButton(2, [&](ButtonConfig& record) { record.Button_type = type; });
    // So is a baud rate the panel does not know on a port Button One sends on (from a file).
    state_.updatePort(0, [&](CommSets& settings) { settings.BaudRate = "96OO"; });
    test::action(*main_, "mnuUpload")->trigger();
    const test::MessageBoxes::Box baud = boxes_.next(3000);
    EXPECT_EQ(baud.title, "Error");
    EXPECT_TRUE(baud.text.startsWith("Control port 1 has a setting the panel does not know: baud "
                                     "rate \"96OO\""))
        << baud.text.toStdString();
    EXPECT_FALSE(programming().resetPrompt()->isVisible());
    state_.updatePort(0, [&](CommSets& settings) { settings.BaudRate = 9600; });

    ports_->set(1, QStringLiteral("/dev/ondrel-no-such-port"));
    main_->uploadButton()->click();
    const test::MessageBoxes::Box shown = boxes_.next(3000);
    EXPECT_EQ(shown.title, "Error");
    EXPECT_TRUE(shown.text.contains("/dev/ondrel-no-such-port")) << shown.text.toStdString();
    EXPECT_EQ(commandsEnabled(), 1);
    EXPECT_EQ(memory().writtenCount(), 0);
}
