// The first upload on a machine without the panel firmware: the tool says where it looked and
// lets the installer choose the file, which is checked whole before it is copied and used.
#include "app_paths.h"
#include "programming/firmware_files.h"
#include "support/port_env.h"
#include "support/qcd_fixtures.h"
#include "support/ui_helpers.h"
#include "support/virtual_panel.h"
#include "ui/main/frm_main.h"
#include "ui/main/panel_programming.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {

// Writes `hex` to a file, presses upload, and picks that file when the firmware is missing.
void uploadChoosing(ui::FrmMain& main, test::MessageBoxes& boxes, const QString& path,
                    const QByteArray& hex) {
    test::writeFile(path, hex);
    boxes.answerWith(QStringLiteral("chooseFirmware"));
    main.uploadButton()->click();
    const test::MessageBoxes::Box missing = boxes.next(QStringLiteral("Firmware Missing"));
    EXPECT_TRUE(missing.text.contains(firmwareFileName()));
    EXPECT_TRUE(missing.text.contains(QDir::toNativeSeparators(userFirmwareFolder())));
    QFileDialog* dialog = nullptr;
    test::waitUntil([&] {
        for (QFileDialog* d : main.findChildren<QFileDialog*>(QStringLiteral("firmwareChooser")))
            if (d->isVisible())
                dialog = d;
        return dialog != nullptr;
    });
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    QMetaObject::invokeMethod(dialog, "accept");
}

} // namespace

TEST(FirmwareChooser, ABadFileIsRefusedWithItsLineAGoodOneIsCopiedAndUsed) {
    ONDREL_SKIP_WITHOUT_PTYS();
    QTemporaryDir program, files; // no firmware beside the program
    test::VirtualPanel panel;
    ASSERT_TRUE(panel.ok());
    test::PortMapping ports(panel.path());
    ProjectState state;
    test::setUpWorkedExample(state);
    ui::FrmMain main(state);
    main.show();
    main.programming().programDir = program.path();
    main.programming().options.pollIntervalMs = 20;
    const QString copy = QDir(userFirmwareFolder()).filePath(firmwareFileName());

    test::MessageBoxes boxes;
    uploadChoosing(main, boxes, files.filePath("bad.hex"), "\r\n:ZZ\r\n:00000001FF\r\n");
    const QString error = boxes.next(QStringLiteral("Error")).text;
    EXPECT_TRUE(error.contains("line 2")) << error.toStdString();
    EXPECT_TRUE(error.contains("Nothing was copied."));
    EXPECT_FALSE(QFile::exists(copy));

    const QByteArray good = generateFirmwareHex(8).toLatin1();
    uploadChoosing(main, boxes, files.filePath("panel.hex"), good);
    EXPECT_FALSE(boxes.next(QStringLiteral("Programming Complete"), 20000).title.isEmpty());
    EXPECT_EQ(locateFirmwareFile(program.path()), copy);
    EXPECT_EQ(test::readFile(copy), good);
}
