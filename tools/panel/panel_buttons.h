#pragma once

#include "tools/simulator_panel.h"

#include <QByteArray>
#include <QCommandLineOption>
#include <QString>
#include <atomic>
#include <mutex>
#include <thread>

class QCommandLineParser;

namespace ondrel::panel {

class PanelMemory;

// The panel's ten buttons and its two control ports. Each control port is a pseudo-terminal of
// its own (linked at --control1/--control2 PATH); a line "press N" (N 1 to 10) on standard input
// presses button N, "release N" ends a momentary press early. A press runs the button logic on
// the configuration table the loader stored, writes the button's strings to the control ports at
// the ports' settings from the table, and prints what it did and the relay actions.
class ButtonPanel {
public:
    ButtonPanel();
    ~ButtonPanel();
    ButtonPanel(const ButtonPanel&) = delete;
    ButtonPanel& operator=(const ButtonPanel&) = delete;

    void addOptions(QCommandLineParser& parser) const;
    // Opens the control ports asked for and starts reading standard input. False, with a message
    // on standard error, when a port cannot be made.
    bool start(const QCommandLineParser& parser);
    // Call after the loader stored a packet: a write into the configuration table is taken over.
    void tableWritten(const PanelMemory& memory, quint16 wordAddress);

private:
    struct ControlPort {
        int master = -1;
        int slave = -1; // kept open so the port never hangs up while nobody listens
        QString link;
    };

    void run();
    void handleLine(const QByteArray& line);
    void press(int button);
    void release();
    // Sends `bytes` on control port `index` at `settings`; what happened, for the printed line.
    QString send(int index, const QByteArray& bytes, const CommSets& settings);

    QCommandLineOption control1_, control2_;
    ControlPort ports_[2];
    std::mutex tableMutex_;
    QByteArray table_; // the written run of bytes from word 0x1600 on
    bool tableChanged_ = false;
    SimulatorPanel logic_;
    std::array<QString, kButtonCount> types_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace ondrel::panel
