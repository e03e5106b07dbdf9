#include "ui/tools/frm_check_panel.h"

#include "project/byte_text.h"
#include "ui/widgets/messages.h"
#include "ui/widgets/window_placement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidget>

namespace ondrel::ui {
namespace {

SerialSettings settingsOf(const CommSets& port) {
    return SerialSettings{qint32(port.BaudRate.toInteger().value_or(9600)),
                          parityOrNone(port.Parity.toText()), 8, 1};
}

} // namespace

FrmCheckPanel::FrmCheckPanel(const ProjectState& state, const SerialLineFactory& lines,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state) {
    setObjectName(QStringLiteral("frmCheckPanel"));
    closeOnEscape(this);
    setWindowTitle(QStringLiteral("Check Panel"));
    setAttribute(Qt::WA_DeleteOnClose);

    QGroupBox* frame = buildPortsFrame(lines);
    layOutWindow(frame);
    startChecking();
}

QGroupBox* FrmCheckPanel::buildPortsFrame(const SerialLineFactory& lines) {
    auto* frame = new QGroupBox(QStringLiteral("Connections"), this);
    frame->setObjectName(QStringLiteral("fraPorts"));
    auto* grid = new QGridLayout(frame);
    for (int c = 0; c < 2; ++c) {
        ports_[size_t(c)] = std::make_unique<ToolPort>(lines);
        auto* label = new QLabel(
            QStringLiteral("Control port %1 on PC port").arg(c == 0 ? "one" : "two"), frame);
        auto* combo = new QComboBox(frame);
        combo->setObjectName(QStringLiteral("cmbPort_%1").arg(c));
        combo->addItems({QStringLiteral("None"), QStringLiteral("One"), QStringLiteral("Two"),
                         QStringLiteral("Three")});
        label->setBuddy(combo);
        auto* settings = new QLabel(frame);
        settings->setObjectName(QStringLiteral("lblSettings_%1").arg(c));
        grid->addWidget(label, c, 0);
        grid->addWidget(combo, c, 1);
        grid->addWidget(settings, c, 2);
        connect(combo, &QComboBox::activated, this, [this, c](int index) { choosePort(c, index); });
        cmbPort_[size_t(c)] = combo;
        lblSettings_[size_t(c)] = settings;
    }
    grid->setColumnStretch(2, 1);
    return frame;
}

void FrmCheckPanel::layOutWindow(QGroupBox* frame) {
    auto* hint = new QLabel(QStringLiteral("Press every button (Toggle buttons twice):"), this);
    hint->setToolTip(QStringLiteral("Each string that arrives as programmed is ticked"));
    lstCheck_ = new QTreeWidget(this);
    lstCheck_->setObjectName(QStringLiteral("lstCheck"));
    lstCheck_->setHeaderLabels({QStringLiteral("Button"), QStringLiteral("Port"),
                                QStringLiteral("Command"), QStringLiteral("Expected bytes")});
    lstCheck_->setRootIsDecorated(false);
    lstCheck_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* unexpectedLabel = new QLabel(QStringLiteral("Unexpected:"), this);
    lstUnexpected_ = new QListWidget(this);
    lstUnexpected_->setObjectName(QStringLiteral("lstUnexpected"));
    lstUnexpected_->setMaximumHeight(fontMetrics().height() * 6);
    lstUnexpected_->setWordWrap(true);
    unexpectedLabel->setBuddy(lstUnexpected_);
    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    QFont bold = lblSummary_->font();
    bold.setBold(true);
    lblSummary_->setFont(bold);

    QHBoxLayout* buttons = buildButtons();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(hint);
    layout->addWidget(lstCheck_, 1);
    layout->addWidget(unexpectedLabel);
    layout->addWidget(lstUnexpected_);
    layout->addWidget(lblSummary_);
    layout->addLayout(buttons);
    // Never taller or wider than the screen (a laptop at 200 %): the lists scroll instead.
    const QRect area = workAreaOf(this);
    resize(QSize(640, 560)
               .boundedTo(area.isEmpty() ? QSize(640, 560) : area.size())
               .expandedTo(minimumSizeHint()));
}

QHBoxLayout* FrmCheckPanel::buildButtons() {
    auto* cmdRestart = new QPushButton(QStringLiteral("Start Again"), this);
    cmdRestart->setObjectName(QStringLiteral("cmdRestart"));
    connect(cmdRestart, &QPushButton::clicked, this, [this] { restart(); });
    auto* cmdPrint = new QPushButton(QStringLiteral("Print..."), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    connect(cmdPrint, &QPushButton::clicked, this, &FrmCheckPanel::print);
    auto* cmdSave = new QPushButton(QStringLiteral("Save..."), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    connect(cmdSave, &QPushButton::clicked, this, &FrmCheckPanel::chooseSaveFile);
    auto* cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRestart);
    buttons->addStretch();
    for (QPushButton* b : {cmdPrint, cmdSave, cmdExit})
        buttons->addWidget(b);
    return buttons;
}

void FrmCheckPanel::startChecking() {
    timer_.setInterval(20);
    connect(&timer_, &QTimer::timeout, this, &FrmCheckPanel::poll);
    restart();
    timer_.start();
}

FrmCheckPanel::~FrmCheckPanel() = default;

void FrmCheckPanel::closeEvent(QCloseEvent* event) {
    releasePorts();
    QWidget::closeEvent(event);
}

void FrmCheckPanel::releasePorts() {
    for (int c = 0; c < 2; ++c) {
        ports_[size_t(c)]->close();
        cmbPort_[size_t(c)]->setCurrentIndex(0);
    }
    restart();
}

std::vector<int> FrmCheckPanel::checkedPorts() const {
    std::vector<int> ports;
    for (int c = 0; c < 2; ++c)
        if (cmbPort_[size_t(c)]->currentIndex() > 0)
            ports.push_back(c);
    return ports.empty() ? std::vector<int>{0, 1} : ports; // nothing open: show everything
}

void FrmCheckPanel::choosePort(int control, int pcPort) {
    const auto c = size_t(control);
    cmbPort_[c]->setCurrentIndex(pcPort);
    ports_[c]->close();
    if (pcPort > 0) {
        settings_[c] = settingsOf(state_.port(control));
        if (!openForWindow(this, *ports_[c], pcPort, settings_[c]))
            cmbPort_[c]->setCurrentIndex(0);
    }
    restart(true);
}

void FrmCheckPanel::restart(bool keepTicks) {
    std::vector<PanelCheck::Item> before;
    if (keepTicks && check_)
        before = check_->items();
    check_.emplace(state_, checkedPorts());
    for (const PanelCheck::Item& old : before) // a port added or taken away keeps the other's ticks
        if (old.seen)
            check_->markSeen(old.expected);
    lstCheck_->clear();
    for (const PanelCheck::Item& item : check_->items()) {
        const ExpectedString& e = item.expected;
        auto* row = new QTreeWidgetItem(
            lstCheck_,
            {buttonName(e.button), controlPortName(e.port),
             e.command + (e.function == 1 ? QStringLiteral(" (second string)") : QString()),
             hexText(e.bytes)});
        row->setCheckState(0, Qt::Unchecked);
        row->setFlags(row->flags() & ~Qt::ItemIsUserCheckable);
    }
    for (int c = 0; c < 2; ++c)
        lblSettings_[size_t(c)]->setText(
            ports_[size_t(c)]->isOpen() ? settings_[size_t(c)].toString() : QString());
    lstUnexpected_->clear();
    refresh();
}

void FrmCheckPanel::poll() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int c = 0; c < 2; ++c) {
        ToolPort& port = *ports_[size_t(c)];
        if (!port.isOpen())
            continue;
        const Result<QByteArray> bytes = port.readWaiting();
        if (!bytes) {
            cmbPort_[size_t(c)]->setCurrentIndex(0);
            showError(this, bytes.error().message);
            continue;
        }
        BurstSplitter& splitter = splitters_[size_t(c)];
        for (const Burst& burst : splitter.feed(bytes.value(), now))
            handleBurst(c, burst);
        if (auto burst = splitter.flush(now))
            handleBurst(c, *burst);
    }
}

void FrmCheckPanel::handleBurst(int control, const Burst& burst) {
    const size_t before = check_->unexpected().size();
    check_->feed(control, burst.bytes);
    log_.append(monitorLogLine(burst,
                               QStringLiteral("%1 (%2)").arg(controlPortName(control),
                                                             ports_[size_t(control)]->deviceName()),
                               settings_[size_t(control)].toString(), QString()));
    for (size_t i = before; i < check_->unexpected().size(); ++i)
        lstUnexpected_->addItem(burstTime(burst.startMs) + QStringLiteral("  ") +
                                check_->unexpectedText(check_->unexpected()[i]));
    refresh();
}

void FrmCheckPanel::refresh() {
    const auto& items = check_->items();
    for (int i = 0; i < lstCheck_->topLevelItemCount() && size_t(i) < items.size(); ++i)
        lstCheck_->topLevelItem(i)->setCheckState(0, items[size_t(i)].seen ? Qt::Checked
                                                                           : Qt::Unchecked);
    QStringList lines;
    for (int c : checkedPorts())
        lines << check_->summaryLine(c);
    lblSummary_->setText(lines.join(QLatin1Char('\n')));
}

Status FrmCheckPanel::saveTo(const QString& path) {
    return log_.saveTo(
        path, QStringLiteral("Ondrel panel check, %1\n%2\nReceived:\n")
                  .arg(burstDateTime(QDateTime::currentMSecsSinceEpoch()), check_->report()));
}

Status FrmCheckPanel::printTo(QPrinter& printer) {
    QString html = QStringLiteral("<h2>Check Panel, %1</h2><p>%2</p><table>")
                       .arg(burstDateTime(QDateTime::currentMSecsSinceEpoch()).toHtmlEscaped(),
                            lblSummary_->text().toHtmlEscaped().replace(QLatin1Char('\n'),
                                                                        QStringLiteral("<br>")));
    for (const PanelCheck::Item& item : check_->items())
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(item.seen ? QStringLiteral("&#10003;") : QStringLiteral("missing"),
                         item.expected.name().toHtmlEscaped(), hexText(item.expected.bytes));
    html += QStringLiteral("</table>");
    for (const PanelCheck::Unexpected& u : check_->unexpected())
        html += QStringLiteral("<p>%1</p>").arg(check_->unexpectedText(u).toHtmlEscaped());
    QTextDocument document;
    document.setHtml(html);
    printer.setDocName(windowTitle());
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error)
        return makeError(QStringLiteral("The check could not be printed."));
    return Ok{};
}

void FrmCheckPanel::print() {
    auto report = [this](QPrinter* printer) {
        if (Status s = printTo(*printer); !s)
            showError(this, s.error().message);
    };
    if (!QPrinterInfo::availablePrinters().isEmpty()) {
        auto* printer = new QPrinter(QPrinter::HighResolution);
        auto* dialog = new QPrintDialog(printer, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QDialog::finished, this, [printer] { delete printer; });
        connect(dialog, &QDialog::accepted, this, [printer, report] { report(printer); });
        dialog->open();
        return;
    }
    // No printer installed: the check goes to a PDF file the installer can print elsewhere.
    auto* dialog = new QFileDialog(this, QStringLiteral("No printer found: save the check as PDF"),
                                   QString(), QStringLiteral("PDF files (*.pdf)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("pdf"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [report](const QString& path) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        report(&printer);
    });
    dialog->open();
}

void FrmCheckPanel::chooseSaveFile() {
    auto* dialog = new QFileDialog(this, QStringLiteral("Save the check and the received data"),
                                   QString(), QStringLiteral("Log files (*.log *.txt)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("log"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        if (Status s = saveTo(path); !s)
            showError(this, s.error().message);
    });
    dialog->open();
}

} // namespace ondrel::ui
