#pragma once

#include "serial/serial_line.h"
#include "tools/monitor_bursts.h"
#include "tools/panel_check.h"
#include "ui/tools/tool_port.h"

#include <QTimer>
#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

namespace ondrel::ui {

// "Monitor Incoming Data": shows every byte that arrives on a PC serial port, as ASCII,
// hexadecimal or decimal. It holds its port while open; releasePort() lets programming have it.
// Optionally each burst goes on a line of its own, with its time, as hexadecimal and text side by
// side, named after the open configuration's strings and the catalogue's commands; everything
// received goes to a log that "Save..." writes out.
class Diagnostic_in : public QWidget {
    Q_OBJECT
public:
    Diagnostic_in(const SerialLineFactory& lines, QWidget* parent = nullptr,
                  const ProjectState* project = nullptr);
    ~Diagnostic_in() override;

    // Closes the monitored port, for instance before the panel is programmed on the same port.
    void releasePort();
    bool isPortOpen() const { return port_.isOpen(); }
    // The device behind the chosen port, once a line was made for it.
    QString deviceName() const { return port_.deviceName(); }

    // Looks for waiting bytes; Timer1 calls it every 100 ms (20 ms in the burst view).
    void poll();
    // Writes every burst received so far, one line each, to `path`.
    Status saveLog(const QString& path);
    qint64 bytesShown() const { return bytesShown_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's steps, in order.
    QGroupBox* buildSettingsFrame();
    QGroupBox* buildFormatFrame();
    QGroupBox* buildViewFrame();
    void layOutWindow(QGroupBox* settingsFrame, QGroupBox* formatFrame, QGroupBox* viewFrame);
    void followProject(); // names bursts after the open configuration's strings
    void startPolling();

    void chooseBaud(int index);
    void choosePort(int port);
    void append(const QString& text);
    void handleBurst(const Burst& burst);
    bool burstView() const;
    void updateView();
    void updateNamer();
    void chooseSaveFile();

    ToolPort port_;
    SerialSettings settings_;
    std::array<QRadioButton*, 4> inDiagCom_{}; // indices 1 to 3
    std::array<QRadioButton*, 5> diagBaud_{};
    std::array<QRadioButton*, 3> presntInas_{};
    QPlainTextEdit* txtIncoming_ = nullptr;
    QCheckBox* chkTimeStamps_ = nullptr;
    QSpinBox* spnGap_ = nullptr;
    QCheckBox* chkHexAscii_ = nullptr;
    QCheckBox* chkPause_ = nullptr;
    QTimer pollTimer_;
    const ProjectState* project_;
    BurstNamer namer_;
    BurstSplitter splitter_;
    MonitorLog log_;
    int portNumber_ = 1;
    qint64 bytesShown_ = 0;
};

} // namespace ondrel::ui
