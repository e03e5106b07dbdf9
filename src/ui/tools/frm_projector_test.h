#pragma once

#include "projector/projector_exchange.h"
#include "serial/serial_line.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <utility>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTextBrowser;
class QPushButton;
class QTreeWidget;

namespace ondrel {
class Catalogue;
}

namespace ondrel::ui {

class ProjectorSession;

// "Projector Test": a PC port towards a projector. Send one of the model's commands, a query or
// typed bytes and see each exchange as a line: time, settings, bytes sent and received (hex and
// text), what the answer means, and the round trip. When nothing sensible comes back, a checklist
// drawn from the model and a try at the other baud rates. Switching off asks first.
class FrmProjectorTest : public QWidget {
    Q_OBJECT
public:
    // Opens a connection of its own to the files of `catalogue` (the shipped models and the
    // installer's own), so the window outlives a catalogue the main window replaces, and starts
    // with `maker` `model` chosen, when the catalogue has it.
    FrmProjectorTest(const Catalogue& catalogue, const SerialLineFactory& lines,
                     const QString& maker = {}, const QString& model = {},
                     QWidget* parent = nullptr);
    ~FrmProjectorTest() override;

    // Uses PC port `port` (1 to 3; 0 none).
    void choosePort(int port);
    void chooseModel(const QString& maker, const QString& model);
    // Frees the port (before the panel is programmed on it).
    void releasePort();
    // Sends the chosen command, query or typed bytes.
    void sendCommand();
    void sendQuery();
    void sendBytes();
    void tryOtherBaudRates();
    const std::optional<ProjectorModel>& model() const { return model_; }
    bool busy() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The constructor's steps, in order.
    void makeSession(const SerialLineFactory& lines);
    void buildInputs(const SerialLineFactory& lines);
    QGridLayout* layOutInputs();
    void buildExchangeList();
    void buildWaitingRow();
    void buildChecklist();
    std::pair<QPushButton*, QPushButton*> layOutWindow(QGridLayout* grid); // Clear, Exit
    void connectControls(QPushButton* cmdClear, QPushButton* cmdExit);
    void startWith(const QString& maker, const QString& model);
    void fitToScreen();

    void fillModels();
    void showModel();
    void send(const ExchangeRequest& request);
    void applySettings();
    SerialSettings settings() const;
    void showExchange(const Exchange& exchange);
    void showWaiting(qint64 waitedMs, int timeoutMs);
    void showBaudsTried(int rate);
    void showChecklist(bool shown);

    std::unique_ptr<Catalogue> catalogue_;
    std::unique_ptr<ProjectorSession> session_;
    std::optional<ProjectorModel> model_;
    std::optional<ExchangeRequest> waitingFor_, lastRequest_;
    QComboBox *cmbPort_, *cmbMaker_, *cmbModel_, *cmbBaud_, *cmbParity_;
    QComboBox *cmbCommand_, *cmbQuery_, *cmbNotation_;
    QLineEdit* txtBytes_;
    QLabel *lblSettings_, *lblBytesFault_, *lblWaiting_;
    QTextBrowser* txtChecklist_;
    QString checklist_;   // what the checklist shows, as HTML
    bool trying_ = false; // other baud rates are being tried: their lines leave it alone
    QPushButton *cmdSend_, *cmdAsk_, *cmdSendBytes_, *cmdStop_, *cmdTryBauds_;
    QProgressBar* prgWaiting_;
    QTreeWidget* lstExchanges_;
    QWidget* waitingRow_;
};

} // namespace ondrel::ui
