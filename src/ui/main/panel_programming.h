#pragma once

#include "programming/programming.h"
#include "programming/programming_history.h"
#include "programming/programming_worker.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QMessageBox;

namespace ondrel::ui {

class FrmMain;
class ProgressWindow;
class ResetPrompt;
class UploadWindow;

// The main window's programming commands: upload, factory restore, firmware update and the
// upload report. The procedures run on a worker thread; this object shows their prompt,
// progress and messages, and keeps the other programming commands disabled while one runs.
class PanelProgramming : public QObject {
    Q_OBJECT
public:
    // `lines` opens the upload port, as it opens the monitor's and the simulator's.
    PanelProgramming(FrmMain& main, const SerialLineFactory& lines);
    ~PanelProgramming() override;

    // "Upload New configuration to Control" / "Upload New code".
    void UploadConfiguration();
    // "Restore Factory Setup".
    void RestoreFactorySetup();
    // "Update Firmware": asks for the file, then sends it.
    void UpdateFirmware();
    // "View Previous Upload Data".
    void showPreviousUpload();
    // The device upload port number `port` (1 to 3) reaches, for its menu item.
    QString uploadPortDescription(int port) const;

    bool isRunning() const { return worker_.isRunning(); }

    UploadWindow* upload() const { return upload_; }
    // The windows the procedures show (objects Dialog, Dialog1 and CommonDialog2).
    ResetPrompt* resetPrompt() const { return resetPrompt_; }
    ProgressWindow* progressWindow() const { return progressWindow_; }
    QFileDialog* firmwareDialog() const { return firmwareDialog_; }
    // "Program Many Rooms", checkable; the main window puts it on its "Program" menu.
    QAction* mnuManyRooms() const { return mnuManyRooms_; }

    // Time-outs and tries of the procedures; the folder holding firmware/ and default.dat.
    ProgrammingOptions options;
    QString programDir;

signals:
    // A procedure ended (its messages are on screen or still to come).
    void finished(const ondrel::ProgrammingResult& result);
    // A record was added to the programming history.
    void historyAdded();
    // The other programming commands (upload, restore, firmware, upload port) are open to the
    // user again, or closed while a procedure runs.
    void commandsEnabledChanged(bool enabled);

private:
    enum class Kind { Upload, Restore, Firmware };
    using Run = std::function<ProgrammingResult(SerialLine&, const ProgrammingOptions&)>;

    void start(Kind kind, Run run);
    void setCommandsEnabled(bool enabled);
    void onStage(ProgrammingStage stage);
    void onFinished(const ProgrammingResult& result);
    // Shows the message boxes one after another, then calls `done`.
    void showMessages(QList<UserMessage> messages, std::function<void()> done = {});
    void firmwareChosen(const QString& path);
    // True when this version's firmware file is at hand. Otherwise says where it was looked
    // for and offers to choose it; once a good file is copied in, `again` runs.
    bool firmwareAtHand(std::function<void()> again);
    void chooseFirmwareFile(std::function<void()> again);

    FrmMain& main_;
    const SerialLineFactory& lines_;
    ProgrammingWorker worker_;
    std::shared_ptr<SerialLine> line_; // of the procedure running or run last
    // Windows of the main window, which outlives this object.
    UploadWindow* upload_ = nullptr;
    ResetPrompt* resetPrompt_ = nullptr;
    ProgressWindow* progressWindow_ = nullptr;
    QPointer<QFileDialog> firmwareDialog_; // while it is open
    Kind kind_ = Kind::Upload;
    QString pendingReport_; // shown once the panel answered and the image is being written
    // Programming history: the record of the running procedure, completed when it ends.
    HistoryRecord record_;
    QElapsedTimer elapsed_;
    // Many rooms: after a successful upload the same upload starts again for the next panel.
    Run lastRun_;
    int panelInRow_ = 1;
    QAction* mnuManyRooms_ = nullptr; // "Program Many Rooms", checkable
    QString firstHint_;
    void recordHistory(const ProgrammingResult& result);
    void nextPanel();
};

} // namespace ondrel::ui
