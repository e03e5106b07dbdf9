#pragma once

#include "project/notation.h"
#include "project/project_state.h"
#include "serial/serial_line.h"
#include "tools/simulator_panel.h"
#include "ui/tools/tool_port.h"

#include <QTimer>
#include <QWidget>
#include <array>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace ondrel::ui {

// "Simulation": ten on-screen buttons stand in for the panel's, the PC's serial port for its
// control port. A press sends the button's command string as configured and shows what went
// out and what came back, with the panel's on/off, toggle, source and momentary logic.
class Simulator : public QWidget {
    Q_OBJECT
public:
    Simulator(ProjectState& state, const SerialLineFactory& lines, QWidget* parent = nullptr);
    ~Simulator() override;

    bool isLit(int button) const { return panel_.isLit(button); }
    bool controlOn() const { return panel_.controlOn(); }
    bool isPortOpen() const { return port_.isOpen(); }
    QString deviceName() const { return port_.deviceName(); }
    // The serial settings the simulator uses ("9600,e,8,1").
    SerialSettings settings() const { return settings_; }

    // Collects the reply to the last send; Timer2 calls it every 100 ms until the reply is over.
    void collectReply();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's steps, in order.
    QGroupBox* buildButtons();
    QVBoxLayout* buildDeviceOptions();
    QGroupBox* buildPortFrame();
    QWidget* buildBoxes();
    void layOutWindow(QGroupBox* buttons, QVBoxLayout* devices, QGroupBox* commPort,
                      QWidget* boxes);
    void setUpTimers();
    void start(); // shows the panel, opens port one and simulates the device on port one

    void press(int button);
    void choosePort(int port);
    void chooseControlPort(int index);
    void sendButtonString(int function);
    void showLights();
    void showRelays(int button);
    void showTypes();
    void log(const QString& line);
    SimulatorPanel::TypeTexts typeTexts() const;
    Notation presentation() const;

    ProjectState& state_;
    ToolPort port_;
    SerialSettings settings_{9600, Parity::None, 8, 1};
    SimulatorPanel panel_;
    UploadStrings upload_;
    int simPort_ = 0;
    bool replyStarted_ = false; // bytes of the reply to the last send have arrived

    std::array<QPushButton*, kButtonCount> panelButtons_{};
    std::array<QLineEdit*, kButtonCount> btype_{};
    std::array<QRadioButton*, 2> deviceOptions_{};
    std::array<QRadioButton*, 4> commp_{}; // indices 1 to 3
    QLineEdit* sentD_ = nullptr;
    QLineEdit* replyD_ = nullptr;
    QLineEdit* relayOne_ = nullptr;
    QLineEdit* relayTwo_ = nullptr;
    QPlainTextEdit* messages_ = nullptr;
    QTimer momentaryTimer_;
    QTimer replyTimer_;
};

} // namespace ondrel::ui
