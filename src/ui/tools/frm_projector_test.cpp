#include "ui/tools/frm_projector_test.h"

#include "catalogue/catalogue.h"
#include "catalogue/user_catalogue.h"
#include "project/byte_text.h"
#include "tools/monitor_bursts.h"
#include "ui/tools/projector_session.h"
#include "ui/widgets/messages.h"
#include "ui/widgets/window_placement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace ondrel::ui {

namespace {

QComboBox* makeCombo(QWidget* parent, const char* name, const QStringList& items, int chars) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems(items);
    // Long model names must not make the window wider than a small screen.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(chars);
    return combo;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLabel* makeLabel(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QString bytesCell(const QByteArray& bytes) {
    return bytes.isEmpty() ? QStringLiteral("nothing") : hexMnemonicText(bytes);
}

} // namespace

FrmProjectorTest::FrmProjectorTest(const Catalogue& catalogue, const SerialLineFactory& lines,
                                   const QString& maker, const QString& model, QWidget* parent)
    : QWidget(parent, Qt::Window),
      catalogue_(std::make_unique<Catalogue>(catalogue.path(), catalogue.userPath())) {
    setObjectName(QStringLiteral("frmProjectorTest"));
    setWindowTitle(QStringLiteral("Projector Test"));
    setAttribute(Qt::WA_DeleteOnClose);
    makeSession(lines);
    buildInputs(lines);
    QGridLayout* grid = layOutInputs();
    buildExchangeList();
    buildWaitingRow();
    buildChecklist();
    const auto [cmdClear, cmdExit] = layOutWindow(grid);
    connectControls(cmdClear, cmdExit);
    startWith(maker, model);
    fitToScreen();
}

void FrmProjectorTest::makeSession(const SerialLineFactory& lines) {
    session_ = std::make_unique<ProjectorSession>(
        lines, ProjectorSession::Callbacks{
                   [this](const Status& opened, const QString& notice) {
                       if (!opened) {
                           cmbPort_->setCurrentIndex(0);
                           showError(this, opened.error().message);
                       } else if (!notice.isEmpty()) {
                           showMessage(this, QMessageBox::Information,
                                       QStringLiteral("Serial Server"), notice);
                       }
                   },
                   [this](qint64 waited, int timeout) { showWaiting(waited, timeout); },
                   [this](const Exchange& x) { showExchange(x); },
                   [this](int rate) { showBaudsTried(rate); }});
}

void FrmProjectorTest::buildInputs(const SerialLineFactory& lines) {
    cmbPort_ = makeCombo(this, "cmbPort",
                         {QStringLiteral("None"), QStringLiteral("One"), QStringLiteral("Two"),
                          QStringLiteral("Three")},
                         5);
    for (int p = 1; p <= 3; ++p)
        cmbPort_->setItemData(p, lines.describe(p), Qt::ToolTipRole);
    cmbMaker_ = makeCombo(this, "cmbMaker", {}, 8);
    cmbModel_ = makeCombo(this, "cmbModel", {}, 12);
    QStringList rates;
    for (int rate : kPanelBaudRates)
        rates << QString::number(rate);
    cmbBaud_ = makeCombo(this, "cmbBaud", rates, 6);
    cmbParity_ = makeCombo(this, "cmbParity", parityNames(), 4);
    lblSettings_ = new QLabel(QStringLiteral("8 data bits, 1 stop bit"), this);
    lblSettings_->setObjectName(QStringLiteral("lblSettings"));
    cmbCommand_ = makeCombo(this, "cmbCommand", {}, 14);
    cmbQuery_ = makeCombo(this, "cmbQuery", {}, 6);
    cmbNotation_ =
        makeCombo(this, "cmbNotation",
                  {QStringLiteral("Text"), QStringLiteral("Hex"), QStringLiteral("Decimal")}, 5);
    txtBytes_ = new QLineEdit(this);
    txtBytes_->setObjectName(QStringLiteral("txtBytes"));
    txtBytes_->setMinimumWidth(120);
    cmdSend_ = makeButton(this, "cmdSend", QStringLiteral("&Send"));
    cmdAsk_ = makeButton(this, "cmdAsk", QStringLiteral("As&k"));
    cmdSendBytes_ = makeButton(this, "cmdSendBytes", QStringLiteral("Sen&d Bytes"));
    lblBytesFault_ = new QLabel(this);
    lblBytesFault_->setObjectName(QStringLiteral("lblBytesFault"));
    lblBytesFault_->setStyleSheet(QStringLiteral("color: #b00000"));
    lblBytesFault_->setWordWrap(true);
    lblBytesFault_->hide();
}

QGridLayout* FrmProjectorTest::layOutInputs() {
    auto* grid = new QGridLayout;
    grid->addWidget(makeLabel(this, QStringLiteral("PC &port:"), cmbPort_), 0, 0);
    grid->addWidget(cmbPort_, 0, 1);
    grid->addWidget(makeLabel(this, QStringLiteral("P&rojector:"), cmbMaker_), 0, 2);
    auto* modelRow = new QHBoxLayout;
    modelRow->addWidget(cmbMaker_, 1);
    modelRow->addWidget(cmbModel_, 2);
    grid->addLayout(modelRow, 0, 3);
    grid->addWidget(makeLabel(this, QStringLiteral("&Baud:"), cmbBaud_), 1, 0);
    grid->addWidget(cmbBaud_, 1, 1);
    grid->addWidget(makeLabel(this, QStringLiteral("Par&ity:"), cmbParity_), 1, 2);
    auto* parityRow = new QHBoxLayout;
    parityRow->addWidget(cmbParity_);
    parityRow->addWidget(lblSettings_, 1);
    grid->addLayout(parityRow, 1, 3);
    grid->addWidget(makeLabel(this, QStringLiteral("&Command:"), cmbCommand_), 2, 0);
    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(cmbCommand_, 1);
    commandRow->addWidget(cmdSend_);
    grid->addLayout(commandRow, 2, 1);
    grid->addWidget(makeLabel(this, QStringLiteral("&Query:"), cmbQuery_), 2, 2);
    auto* queryRow = new QHBoxLayout;
    queryRow->addWidget(cmbQuery_, 1);
    queryRow->addWidget(cmdAsk_);
    grid->addLayout(queryRow, 2, 3);
    grid->addWidget(makeLabel(this, QStringLiteral("B&ytes:"), txtBytes_), 3, 0);
    auto* bytesRow = new QHBoxLayout;
    bytesRow->addWidget(cmbNotation_);
    bytesRow->addWidget(txtBytes_, 1);
    bytesRow->addWidget(cmdSendBytes_);
    grid->addLayout(bytesRow, 3, 1, 1, 3);
    grid->addWidget(lblBytesFault_, 4, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    return grid;
}

void FrmProjectorTest::buildExchangeList() {
    lstExchanges_ = new QTreeWidget(this);
    lstExchanges_->setObjectName(QStringLiteral("lstExchanges"));
    // What it means first: the bytes are wide, and a small screen scrolls to them.
    lstExchanges_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Command"),
                                    QStringLiteral("Meaning"), QStringLiteral("ms"),
                                    QStringLiteral("Sent"), QStringLiteral("Received"),
                                    QStringLiteral("Settings")});
    lstExchanges_->setRootIsDecorated(false);
    lstExchanges_->setUniformRowHeights(true);
    lstExchanges_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

void FrmProjectorTest::buildWaitingRow() {
    waitingRow_ = new QWidget(this);
    lblWaiting_ = new QLabel(waitingRow_);
    lblWaiting_->setObjectName(QStringLiteral("lblWaiting"));
    lblWaiting_->setWordWrap(true);
    prgWaiting_ = new QProgressBar(waitingRow_);
    prgWaiting_->setObjectName(QStringLiteral("prgWaiting"));
    prgWaiting_->setTextVisible(false);
    prgWaiting_->setMaximumWidth(160);
    cmdStop_ = makeButton(waitingRow_, "cmdStop", QStringLiteral("St&op Waiting"));
    auto* waitingLayout = new QHBoxLayout(waitingRow_);
    waitingLayout->setContentsMargins(0, 0, 0, 0);
    waitingLayout->addWidget(lblWaiting_, 1);
    waitingLayout->addWidget(prgWaiting_);
    waitingLayout->addWidget(cmdStop_);
    waitingRow_->hide();
}

void FrmProjectorTest::buildChecklist() {
    // What to check when nothing sensible came back; it scrolls where the screen is small.
    txtChecklist_ = new QTextBrowser(this);
    txtChecklist_->setObjectName(QStringLiteral("txtChecklist"));
    txtChecklist_->hide();
    cmdTryBauds_ = makeButton(this, "cmdTryBauds", QStringLiteral("&Try Other Baud Rates"));
    cmdTryBauds_->hide();
}

std::pair<QPushButton*, QPushButton*> FrmProjectorTest::layOutWindow(QGridLayout* grid) {
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(lstExchanges_);
    split->addWidget(txtChecklist_);
    split->setChildrenCollapsible(false);

    auto* cmdClear = makeButton(this, "cmdClear", QStringLiteral("C&lear"));
    auto* cmdExit = makeButton(this, "cmdExit", QStringLiteral("E&xit"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdClear);
    buttons->addWidget(cmdTryBauds_);
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(split, 1);
    layout->addWidget(waitingRow_);
    layout->addLayout(buttons);
    return {cmdClear, cmdExit};
}

void FrmProjectorTest::connectControls(QPushButton* cmdClear, QPushButton* cmdExit) {
    connect(cmbPort_, &QComboBox::activated, this, &FrmProjectorTest::choosePort);
    connect(cmbMaker_, &QComboBox::activated, this, [this] {
        fillModels();
        chooseModel(cmbMaker_->currentText(), cmbModel_->itemText(0));
    });
    connect(cmbModel_, &QComboBox::activated, this,
            [this] { chooseModel(cmbMaker_->currentText(), cmbModel_->currentText()); });
    connect(cmbBaud_, &QComboBox::activated, this, &FrmProjectorTest::applySettings);
    connect(cmbParity_, &QComboBox::activated, this, &FrmProjectorTest::applySettings);
    connect(cmdSend_, &QPushButton::clicked, this, &FrmProjectorTest::sendCommand);
    connect(cmdAsk_, &QPushButton::clicked, this, &FrmProjectorTest::sendQuery);
    connect(cmdSendBytes_, &QPushButton::clicked, this, &FrmProjectorTest::sendBytes);
    connect(txtBytes_, &QLineEdit::returnPressed, this, &FrmProjectorTest::sendBytes);
    connect(txtBytes_, &QLineEdit::textChanged, this, [this] { lblBytesFault_->hide(); });
    connect(cmdStop_, &QPushButton::clicked, this, [this] { session_->stopWaiting(); });
    connect(cmdTryBauds_, &QPushButton::clicked, this, &FrmProjectorTest::tryOtherBaudRates);
    connect(cmdClear, &QPushButton::clicked, lstExchanges_, &QTreeWidget::clear);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void FrmProjectorTest::startWith(const QString& maker, const QString& model) {
    const auto makers = catalogue_->manufacturers();
    if (makers)
        cmbMaker_->addItems(makers.value());
    else
        lblSettings_->setText(makers.error().message);
    const bool known = makers && makers.value().contains(maker);
    cmbMaker_->setCurrentText(known ? maker : cmbMaker_->itemText(0));
    fillModels();
    chooseModel(cmbMaker_->currentText(),
                known && cmbModel_->findText(model) >= 0 ? model : cmbModel_->itemText(0));
}

void FrmProjectorTest::fitToScreen() {
    // Never larger than the screen (a laptop at 200 %): the list and the checklist scroll.
    const QRect area = workAreaOf(this);
    resize(QSize(860, 560)
               .boundedTo(area.isEmpty() ? QSize(860, 560) : area.size())
               .expandedTo(minimumSizeHint()));
}

FrmProjectorTest::~FrmProjectorTest() = default;

bool FrmProjectorTest::busy() const {
    return session_->busy();
}

void FrmProjectorTest::closeEvent(QCloseEvent* event) {
    releasePort();
    QWidget::closeEvent(event);
}

void FrmProjectorTest::releasePort() {
    session_->close();
    cmbPort_->setCurrentIndex(0);
}

void FrmProjectorTest::choosePort(int port) {
    cmbPort_->setCurrentIndex(port);
    session_->open(port, settings());
}

void FrmProjectorTest::fillModels() {
    cmbModel_->clear();
    if (const auto models = catalogue_->models(cmbMaker_->currentText()))
        cmbModel_->addItems(models.value());
}

void FrmProjectorTest::chooseModel(const QString& maker, const QString& model) {
    if (cmbMaker_->currentText() != maker) {
        cmbMaker_->setCurrentText(maker);
        fillModels();
    }
    cmbModel_->setCurrentText(model);
    const Result<ProjectorModel> loaded =
        catalogue_->status() ? loadProjectorModel(*catalogue_, maker + QLatin1Char('/') + model)
                             : Result<ProjectorModel>(catalogue_->status().error());
    if (!loaded) {
        model_.reset();
        lblSettings_->setText(loaded.error().message);
    } else {
        model_ = loaded.value();
        session_->setModel(*model_);
        lblSettings_->setText(QStringLiteral("8 data bits, 1 stop bit"));
    }
    showModel();
}

void FrmProjectorTest::showModel() {
    cmbCommand_->clear();
    cmbQuery_->clear();
    showChecklist(false);
    if (!model_)
        return;
    const ModelDefinition& d = model_->definition;
    for (const ModelCommand& c : d.commands)
        for (const bool second : {false, true})
            if (!second || c.secondary)
                if (const auto r = commandRequest(*model_, c.name, second))
                    cmbCommand_->addItem(r->label, QStringList{c.name, second ? "1" : "0"});
    if (model_->replies)
        cmbQuery_->addItems(model_->replies->queryNames());
    cmbQuery_->setEnabled(cmbQuery_->count() > 0);
    cmdAsk_->setEnabled(cmbQuery_->count() > 0);
    cmbQuery_->setToolTip(model_->replies ? QString()
                                          : QStringLiteral("The catalogue does not know what "
                                                           "this model answers."));
    cmbBaud_->setCurrentText(QString::number(d.baud));
    cmbParity_->setCurrentText(d.parity);
    cmbNotation_->setCurrentIndex(d.presentAs == Notation::Hex ? 1 : 0);
    txtBytes_->setPlaceholderText(
        d.commands.isEmpty() ? QString()
                             : formatCommandNotation(d.commands.first().primary, d.presentAs));
    applySettings();
}

SerialSettings FrmProjectorTest::settings() const {
    return SerialSettings{cmbBaud_->currentText().toInt(), parityOrNone(cmbParity_->currentText()),
                          8, 1};
}

void FrmProjectorTest::applySettings() {
    session_->setSettings(settings());
}

void FrmProjectorTest::sendCommand() {
    const QStringList which = cmbCommand_->currentData().toStringList();
    if (model_ && which.size() == 2)
        if (const auto r = commandRequest(*model_, which[0], which[1] == QLatin1String("1")))
            send(*r);
}

void FrmProjectorTest::sendQuery() {
    if (model_)
        if (const auto r = queryRequest(*model_, cmbQuery_->currentText()))
            send(*r);
}

void FrmProjectorTest::sendBytes() {
    const Notation notation = cmbNotation_->currentIndex() == 1   ? Notation::Hex
                              : cmbNotation_->currentIndex() == 2 ? Notation::Decimal
                                                                  : Notation::Text;
    const ParsedCommand parsed = parseCommandNotation(txtBytes_->text(), notation);
    if (!parsed.ok() || parsed.bytes.isEmpty()) {
        lblBytesFault_->setText(parsed.ok() ? QStringLiteral("Type the bytes to send.")
                                            : parsed.fault->message());
        lblBytesFault_->show();
        txtBytes_->setFocus();
        return;
    }
    if (model_)
        send(bytesRequest(*model_, parsed.bytes));
}

void FrmProjectorTest::send(const ExchangeRequest& request) {
    if (cmbPort_->currentIndex() == 0) {
        showMessage(this, QMessageBox::Information, windowTitle(),
                    QStringLiteral("Choose the PC port the projector is connected to."));
        cmbPort_->setFocus();
        return;
    }
    auto go = [this, request] {
        lastRequest_ = waitingFor_ = request;
        showChecklist(false);
        session_->send(request);
    };
    if (!switchesOff(request)) {
        go();
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Question, windowTitle(),
                                QStringLiteral("Switch %1 off? It cools down and cannot be "
                                               "switched on again until it has.")
                                    .arg(model_ ? model_->name() : QStringLiteral("the projector")),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [go](int answer) {
        if (answer == QMessageBox::Yes)
            go();
    });
    box->open();
}

void FrmProjectorTest::showWaiting(qint64 waitedMs, int timeoutMs) {
    if (!waitingFor_)
        return;
    QString text = QStringLiteral("Waiting for the answer to %1: %2 s of up to %3 s.")
                       .arg(waitingFor_->label)
                       .arg(waitedMs / 1000)
                       .arg(timeoutMs / 1000);
    if (waitingFor_->late && model_)
        text += QStringLiteral(" %1 answers %2 only once it is done.")
                    .arg(model_->name(), waitingFor_->command);
    lblWaiting_->setText(text);
    prgWaiting_->setRange(0, timeoutMs);
    prgWaiting_->setValue(int(waitedMs));
    waitingRow_->show();
}

void FrmProjectorTest::showExchange(const Exchange& x) {
    const QString ms = x.roundTripMs < 0 ? QString() : QString::number(qRound64(x.roundTripMs));
    auto* row =
        new QTreeWidgetItem(lstExchanges_, {burstTime(x.sentAtMs), x.label, x.meaning(), ms,
                                            x.sent.isEmpty() ? QString() : bytesCell(x.sent),
                                            bytesCell(x.received), x.settings.toString()});
    for (int c = 0; c < row->columnCount(); ++c)
        row->setToolTip(c, row->text(c));
    row->setTextAlignment(3, Qt::AlignRight);
    if (x.exitCode() != 0 && x.reply.outcome != ReplyOutcome::NotExpected)
        row->setForeground(2, QColor(0xb0, 0, 0));
    lstExchanges_->scrollToItem(row);
    if (x.label == QLatin1String("(unasked)") || !waitingFor_ || trying_)
        return;
    if (!session_->busy()) {
        waitingFor_.reset();
        waitingRow_->hide();
    }
    if (!x.unanswered() || !model_)
        return;
    QString html = QStringLiteral("<b>%1</b><ul>")
                       .arg(x.reply.outcome == ReplyOutcome::NotUnderstood
                                ? QStringLiteral("What came back means nothing to %1.")
                                      .arg(model_->name().toHtmlEscaped())
                                : QStringLiteral("Nothing came back within %1 s.")
                                      .arg(double(x.timeoutMs) / 1000.0));
    for (const QString& item : noAnswerChecklist(*model_, x))
        html += QStringLiteral("<li>%1</li>").arg(item.toHtmlEscaped());
    checklist_ = html + QStringLiteral("</ul>");
    txtChecklist_->setHtml(checklist_);
    cmdTryBauds_->setEnabled(model_->replies.has_value());
    showChecklist(true);
}

void FrmProjectorTest::showChecklist(bool shown) {
    txtChecklist_->setVisible(shown);
    cmdTryBauds_->setVisible(shown);
}

void FrmProjectorTest::tryOtherBaudRates() {
    if (!model_ || cmbPort_->currentIndex() == 0)
        return;
    std::optional<ExchangeRequest> probe = queryRequest(*model_, QStringLiteral("power"));
    if (!probe && lastRequest_ && !switchesOff(*lastRequest_))
        probe = lastRequest_;
    if (!probe)
        return;
    const QList<int> rates = otherBaudRates(settings().baudRate);
    QStringList names;
    for (int rate : rates)
        names << QString::number(rate);
    waitingFor_ = probe;
    lblWaiting_->setText(QStringLiteral("Asking %1 at %2 baud...")
                             .arg(probe->label, names.join(QStringLiteral(", "))));
    prgWaiting_->setRange(0, 0);
    waitingRow_->show();
    cmdTryBauds_->setEnabled(false);
    trying_ = true;
    session_->tryBauds(*probe, rates);
}

void FrmProjectorTest::showBaudsTried(int rate) {
    trying_ = false;
    waitingFor_.reset();
    waitingRow_->hide();
    cmdTryBauds_->setEnabled(true);
    if (rate > 0) {
        cmbBaud_->setCurrentText(QString::number(rate));
        checklist_ += QStringLiteral("<p><b>The projector answers at %1 baud</b>; the port uses it "
                                     "now. Set the control port to %1 as well (Control Ports &gt; "
                                     "Settings), or the projector back to %2.</p>")
                          .arg(rate)
                          .arg(model_ ? model_->definition.baud : 0);
    } else {
        checklist_ += QStringLiteral("<p><b>No other rate brought an answer</b>: look at the "
                                     "cable and the projector.</p>");
    }
    txtChecklist_->setHtml(checklist_);
}

} // namespace ondrel::ui
