#pragma once

#include "serial/serial_line.h"
#include "tools/monitor_bursts.h"
#include "tools/panel_check.h"
#include "ui/tools/tool_port.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPrinter;
class QTreeWidget;

namespace ondrel::ui {

// "Check Panel": with the PC's serial ports on the panel's control ports, every button pressed
// ticks its strings in a checklist built from the open configuration; bytes that belong to no
// button are listed with the nearest expected string. One or both control ports at once.
class FrmCheckPanel : public QWidget {
    Q_OBJECT
public:
    FrmCheckPanel(const ProjectState& state, const SerialLineFactory& lines,
                  QWidget* parent = nullptr);
    ~FrmCheckPanel() override;

    // Monitors control port `control` (0, 1) on PC port `pcPort` (1 to 3; 0 none).
    void choosePort(int control, int pcPort);
    // Starts the checklist again from the open configuration; `keepTicks` keeps what was seen.
    void restart(bool keepTicks = false);
    void releasePorts();
    // Reads both ports; the timer calls it every 20 ms.
    void poll();
    // The report (summary, missing, unexpected), then every burst received.
    Status saveTo(const QString& path);
    Status printTo(QPrinter& printer);
    const PanelCheck& check() const { return *check_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's steps, in order.
    QGroupBox* buildPortsFrame(const SerialLineFactory& lines);
    void layOutWindow(QGroupBox* frame);
    QHBoxLayout* buildButtons(); // Start Again, Print, Save, Exit
    void startChecking();

    void handleBurst(int control, const Burst& burst);
    void refresh();
    void chooseSaveFile();
    void print();
    std::vector<int> checkedPorts() const;

    const ProjectState& state_;
    std::array<std::unique_ptr<ToolPort>, 2> ports_;
    std::array<SerialSettings, 2> settings_;
    std::array<BurstSplitter, 2> splitters_;
    std::array<QComboBox*, 2> cmbPort_{};
    std::array<QLabel*, 2> lblSettings_{};
    std::optional<PanelCheck> check_;
    MonitorLog log_;
    QTreeWidget* lstCheck_ = nullptr;
    QListWidget* lstUnexpected_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    QTimer timer_;
};

} // namespace ondrel::ui
