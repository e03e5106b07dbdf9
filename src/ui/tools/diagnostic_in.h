#pragma once

#include "serial/serial_line.h"
#include "ui/tools/tool_port.h"

#include <QTimer>
#include <QWidget>
#include <array>

class QPlainTextEdit;
class QRadioButton;

namespace ondrel::ui {

// "Monitor Incoming Data": shows every byte that arrives on a PC serial port, as ASCII,
// hexadecimal or decimal. It holds its port while open; releasePort() lets programming have it.
class Diagnostic_in : public QWidget {
    Q_OBJECT
public:
    Diagnostic_in(const SerialLineFactory& lines, QWidget* parent = nullptr);
    ~Diagnostic_in() override;

    // Closes the monitored port, for instance before the panel is programmed on the same port.
    void releasePort();
    bool isPortOpen() const { return port_.isOpen(); }
    // The device behind the chosen port, once a line was made for it.
    QString deviceName() const { return port_.deviceName(); }

    // Looks for waiting bytes; Timer1 calls it every 100 ms.
    void poll();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseBaud(int index);
    void choosePort(int port);
    void append(const QString& text);

    ToolPort port_;
    SerialSettings settings_;
    std::array<QRadioButton*, 4> inDiagCom_{}; // indices 1 to 3
    std::array<QRadioButton*, 5> diagBaud_{};
    std::array<QRadioButton*, 3> presntInas_{};
    QPlainTextEdit* text1_ = nullptr;
    QTimer timer1_;
};

} // namespace ondrel::ui
