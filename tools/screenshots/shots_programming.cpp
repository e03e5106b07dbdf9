// The upload report, the "Press Reset" prompt and the progress window.
#include "programming/config_image.h"
#include "programming/programming.h"
#include "shots.h"
#include "ui/main/panel_programming.h"
#include "ui/main/programming_windows.h"

#include <QPlainTextEdit>

namespace {

void programmingShots(ondrel::shots::Shots& shots) {
    ondrel::ui::PanelProgramming& programming = shots.mainWindow().programming();

    ondrel::ProjectState& state = shots.state();
    state.updateButton(0, [&](ondrel::ButtonConfig& record) {
        record.setCommandString1(3, ondrel::ByteList{2, 80, 3});
    });
    state.updatePort(0, [](ondrel::CommSets& port) {
        port.BaudRate = 9600;
        port.Parity = "NONE";
    });
    state.setTimerMinutes(90);
    if (const auto image = ondrel::BuildConfigImage(state)) {
        QString report = image.value().report;
        programming.upload()->Text1()->setPlainText(report.replace("\r\n", "\n"));
    }
    shots.save(programming.upload());
    programming.upload()->hide();

    shots.save(programming.resetPrompt());
    // Programming through a serial server that cannot set the modem lines.
    programming.resetPrompt()->setLineNotice(QStringLiteral(
        "The serial server rfc2217://rack-7:4001 cannot set DTR and RTS on its port (it did not "
        "confirm them). This tool sends and receives without them, so it goes on; a device that "
        "needs DTR and RTS will not work through this server."));
    shots.save(programming.resetPrompt(), QStringLiteral("Dialog-network"));
    programming.resetPrompt()->setLineNotice(QString());
    programming.resetPrompt()->hide();

    programming.progressWindow()->showProgress(QString::fromLatin1(ondrel::kProgrammingCaption),
                                               1296, 4097);
    shots.save(programming.progressWindow());
    programming.progressWindow()->showProgress(QString::fromLatin1(ondrel::kFirmwareCaption), 40,
                                               120);
    shots.save(programming.progressWindow(), QStringLiteral("Dialog1-firmware"));
    programming.progressWindow()->hide();
}

const bool registered = ondrel::shots::registerArea("programming", &programmingShots);

} // namespace
