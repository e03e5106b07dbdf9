#include "ui/main/frm_main.h"

#include "app_version.h"
#include "catalogue/catalogue.h"
#include "catalogue/user_catalogue.h"
#include "ui/buttons/frm_config_buttons.h"
#include "ui/catalogue/frm_user_models.h"
#include "ui/main/panel_programming.h"
#include "ui/main/room_records.h"
#include "ui/settings/frm_control_port_settings.h"
#include "ui/widgets/brand_picture.h"
#include "ui/widgets/elided_label.h"
#include "ui/widgets/twips.h"
#include "ui/widgets/window_placement.h"
#include "ui/widgets/wrap_button.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QWindow>
#include <algorithm>

namespace ondrel::ui {

namespace {

const char* const kButtonNames[kButtonCount] = {
    "Button One", "Button Two",   "Button Three", "Button Four", "Button Five",
    "Button Six", "Button Seven", "Button Eight", "Button Nine", "Button Ten"};

// A menu, and the item that opens it, of this object name.
QMenu* namedMenu(QWidget* parentMenu, const QString& name, const QString& title) {
    auto* m = new QMenu(title, parentMenu);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

QAction* namedItem(QMenu* m, const QString& name, const QString& caption) {
    QAction* a = m->addAction(caption);
    a->setObjectName(name);
    return a;
}

// Drawn for the screen's pixel ratio, so that it stays crisp at 200 %.
QPixmap timerPicture(QSize size, qreal pixelRatio) {
    QPixmap pixmap(size * pixelRatio);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(QColor(0xe8, 0xec, 0xf2));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double r = size.height() * 0.18;
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x5f), 2));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, r, r);
    for (int h = 0; h < 12; ++h) {
        p.save();
        p.translate(centre);
        p.rotate(h * 30.0);
        p.drawLine(QPointF(0, -r * 0.8), QPointF(0, -r * 0.95));
        p.restore();
    }
    p.setPen(QPen(QColor(0xc0, 0x30, 0x30), 2));
    p.drawLine(centre, centre + QPointF(0, -r * 0.75));
    p.drawLine(centre, centre + QPointF(r * 0.5, 0));
    return pixmap;
}

} // namespace

FrmMain::FrmMain(ProjectState& state, QWidget* parent) : QMainWindow(parent), state_(state) {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Corvane Ondrel   Version: ") + versionText());
    buildControls();
    buildMenus();
    connectToolWindows();
    applyWorkArea({kClientWidth, kClientHeight});
    connect(&state_, &ProjectState::changed, this, &FrmMain::refreshFromState);
    refreshFromState();
    setUpCatalogue();
    CheckRelays();
    setUpFiles();
    connectProgramming();
}

void FrmMain::connectProgramming() {
    programming_ = new PanelProgramming(*this, serialLines());
    connect(mnuUpload, &QAction::triggered, programming_, &PanelProgramming::UploadConfiguration);
    connect(mnuRestore, &QAction::triggered, programming_, &PanelProgramming::RestoreFactorySetup);
    connect(mnuFrmWare, &QAction::triggered, programming_, &PanelProgramming::UpdateFirmware);
    connect(mnuViewDta, &QAction::triggered, programming_, &PanelProgramming::showPreviousUpload);
    mnuPrgrm->addSeparator();
    mnuPrgrm->addAction(programming_->mnuManyRooms());
    // Each upload port's item names the device it reaches.
    mnuCommSett->setToolTipsVisible(true);
    connect(mnuCommSett, &QMenu::aboutToShow, this, [this] {
        for (int p = 1; p <= 3; ++p) {
            const QString text = programming_->uploadPortDescription(p);
            uploadport[size_t(p)]->setStatusTip(text);
            uploadport[size_t(p)]->setToolTip(text);
        }
    });
    connect(programming_, &PanelProgramming::commandsEnabledChanged, this, [this](bool enabled) {
        for (QAction* action :
             {mnuUpload, mnuRestore, mnuFrmWare, uploadport[1], uploadport[2], uploadport[3]})
            action->setEnabled(enabled);
    });

    auto* records = new RoomRecords(*this); // room sheet and programming history
    mnuFike->insertAction(mnuExit, records->mnuRoomSheet());
    mnuFike->insertSeparator(mnuExit);
    mnuPrgrm->addAction(records->mnuHistory());
}

FrmMain::~FrmMain() = default;

void FrmMain::buildControls() {
    // The window is laid out in twips for an 8-point face; a larger default font would overflow.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    // The client sits in a scroll area that shows bars only on a screen too small even for the
    // scaled layout.
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("clientScroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    client_ = new QWidget;
    client_->setObjectName(QStringLiteral("client"));
    scroll_->setWidget(client_);
    setCentralWidget(scroll_);

    buildTimerDisplay();
    for (int i = 0; i < kButtonCount; ++i)
        buildButtonFrame(i);
    buildCommandsAndBrand();
    buildLines();
    timerPicture_->lower();
    attachDesign();
}

void FrmMain::buildTimerDisplay() {
    timerPicture_ = new QLabel(client_);
    timerPicture_->setObjectName(QStringLiteral("Picture1"));
    timerPicture_->setFrameShape(QFrame::Panel);
    timerPicture_->setFrameShadow(QFrame::Sunken);
    timerPicture_->setToolTip(tr("Click to set up the shut-off timer"));
    timerPicture_->installEventFilter(this);
    for (int i = 0; i < 4; ++i) {
        auto* box = new QLineEdit(client_);
        box->setObjectName(QStringLiteral("Text1_%1").arg(i));
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(Qt::AlignCenter);
        box->installEventFilter(this);
        timerBoxes_[size_t(i)] = box;
    }
}

void FrmMain::buildButtonFrame(int i) {
    // Explicitly not bold: a font that leaves the weight unset would inherit the frame's.
    QFont plainFont = font();
    plainFont.setBold(false);
    QFont boldFont = font();
    boldFont.setBold(true);
    auto* frame = new QGroupBox(tr(kButtonNames[i]), client_);
    frame->setObjectName(QStringLiteral("frmButton_%1").arg(i));
    frame->setFont(boldFont);
    frames_[size_t(i)] = frame;

    auto makeLabel = [&](const QString& name, const QString& caption) {
        auto* label = new ElidedLabel(caption, frame);
        label->setObjectName(name.arg(i));
        label->setFont(plainFont);
        label->hide();
        return label;
    };
    auto makeCombo = [&](const QString& name) {
        auto* combo = new QComboBox(frame);
        combo->setObjectName(name.arg(i));
        combo->setFont(plainFont);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(20);
        return combo;
    };
    const auto at = size_t(i);
    deviceLabel1_[at] = makeLabel(QStringLiteral("Label3_%1"), QStringLiteral("Label3"));
    commandList1_[at] = makeCombo(QStringLiteral("Combo1_%1"));
    deviceLabel2_[at] = makeLabel(QStringLiteral("Label4_%1"), QStringLiteral("Label4"));
    commandList2_[at] = makeCombo(QStringLiteral("Combo2_%1"));
    commandList2_[at]->hide();

    auto* reconfigure = new QPushButton(tr("View Button Detail/Reconfigure"), client_);
    reconfigure->setObjectName(QStringLiteral("cmdReConfig_%1").arg(i));
    connect(reconfigure, &QPushButton::clicked, this, [this, i] { cmdReConfig_Click(i); });
    reconfigureButtons_[at] = reconfigure;
}

void FrmMain::buildCommandsAndBrand() {
    restoreButton_ = new WrapButton(tr("Restore Factory Setup"), client_);
    restoreButton_->setObjectName(QStringLiteral("Command2"));
    uploadButton_ = new WrapButton(tr("Upload New configuration to Control"), client_);
    uploadButton_->setObjectName(QStringLiteral("Command1"));

    productName_ = new QLabel(QStringLiteral("Ondrel"), client_);
    productName_->setObjectName(QStringLiteral("Label1"));
    productName_->setFont(productNameFont(20));
    productName_->setAlignment(Qt::AlignCenter);

    brandImage_ = new QLabel(client_);
    brandImage_->setObjectName(QStringLiteral("Image1"));
    brandImage_->setScaledContents(true);
}

void FrmMain::buildLines() {
    for (int n = 0; n < int(lines_.size()); ++n) {
        auto* line = new QFrame(client_);
        line->setObjectName(QStringLiteral("Line%1").arg(n + 1));
        line->setFrameShadow(QFrame::Sunken);
        line->lower();
        lines_[size_t(n)] = line;
    }
}

void FrmMain::attachDesign() {
    for (const MainLayout::Control& control : mainLayout_.controls()) {
        auto* w = client_->findChild<QWidget*>(control.name);
        Q_ASSERT(w);
        const bool vertical = control.design.height() > control.design.width();
        if (control.role == MainLayout::Role::Line || control.role == MainLayout::Role::TimerLine)
            static_cast<QFrame*>(w)->setFrameShape(vertical ? QFrame::VLine : QFrame::HLine);
        if (w == brandImage_)
            brandImage_->setPixmap(brandPicture(twipsToPixels(control.design.size()) * 2));
        layoutWidgets_.push_back(w);
    }
    for (QWidget* w : layoutWidgets_)
        designFonts_.push_back(w->font());
}

void FrmMain::buildMenus() {
    buildFileAndPortMenus();
    buildProjectorAndTimerMenus();
    buildRelaysMenu();
    buildProgramAndToolMenus();
    // Short confirmations (a file saved) appear at the foot of the window.
    statusBar()->setSizeGripEnabled(false);
}

void FrmMain::buildFileAndPortMenus() {
    QMenuBar* bar = menuBar();
    mnuFike = namedMenu(bar, QStringLiteral("mnuFike"), tr("&File"));
    bar->addMenu(mnuFike);
    mnuOpenFile = namedItem(mnuFike, QStringLiteral("mnuOpenFile"), tr("&Open"));
    mnuSave = namedItem(mnuFike, QStringLiteral("mnuSave"), tr("&Save"));
    mnuSaveas = namedItem(mnuFike, QStringLiteral("mnuSaveas"), tr("Save As"));
    mnuExit = namedItem(mnuFike, QStringLiteral("mnuExit"), tr("E&xit"));
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);

    mnuControlPorts = namedMenu(bar, QStringLiteral("mnuControlPorts"), tr("&Control Ports"));
    bar->addMenu(mnuControlPorts);
    mnuSettings = namedMenu(mnuControlPorts, QStringLiteral("mnuSettings"), tr("Settings"));
    mnuControlPorts->addMenu(mnuSettings);
    mnuPort[0] = namedItem(mnuSettings, QStringLiteral("mnuPort_0"), tr("Port 1"));
    mnuPort[1] = namedItem(mnuSettings, QStringLiteral("mnuPort_1"), tr("Port 2"));
    for (int p = 0; p < 2; ++p)
        connect(mnuPort[size_t(p)], &QAction::triggered, this, [this, p] { showPortSettings(p); });
    mnuKdx = namedItem(mnuControlPorts, QStringLiteral("mnuKdx"), tr("Enable KDX Device"));
    mnuKdx->setCheckable(true);
    mnuSerialPorts =
        namedItem(mnuControlPorts, QStringLiteral("mnuSerialPorts"), tr("PC Serial &Ports..."));
}

void FrmMain::buildProjectorAndTimerMenus() {
    QMenuBar* bar = menuBar();

    mnuProjector = namedMenu(bar, QStringLiteral("mnuProjector"), tr("&Projector"));
    bar->addMenu(mnuProjector);
    mnuSelectModel = namedMenu(mnuProjector, QStringLiteral("mnuSelectModel"), tr("Select Model"));
    mnuProjector->addMenu(mnuSelectModel);
    mnuControl[0] = namedItem(mnuSelectModel, QStringLiteral("mnuControl_0"), tr("Control Port 1"));
    mnuControl[1] = namedItem(mnuSelectModel, QStringLiteral("mnuControl_1"), tr("Control Port 2"));
    mnuControl[1]->setEnabled(false);
    mnuEnable2 =
        namedItem(mnuProjector, QStringLiteral("mnuEnable2"), tr("Enable Second Projector"));
    mnuEnable2->setCheckable(true);

    mnuTimer = namedMenu(bar, QStringLiteral("mnuTimer"), tr("&Timer"));
    bar->addMenu(mnuTimer);
    mnuSetupTimer = namedItem(mnuTimer, QStringLiteral("mnuSetupTimer"), tr("Setup"));
    connect(mnuSetupTimer, &QAction::triggered, this, &FrmMain::timerDisplayClicked);
}

void FrmMain::buildRelaysMenu() {
    QMenuBar* bar = menuBar();

    Relays = namedMenu(bar, QStringLiteral("Relays"), tr("Setup &Relays"));
    bar->addMenu(Relays);
    for (int i = 0; i < kButtonCount; ++i) {
        QMenu* rb = namedMenu(Relays, QStringLiteral("RB_%1").arg(i), tr(kButtonNames[i]));
        Relays->addMenu(rb);
        RB[size_t(i)] = rb;
        for (int relay = 0; relay < 2; ++relay) {
            QAction* a = namedItem(rb, QStringLiteral("RL%1_%2").arg(i + 1).arg(relay),
                                   relay == 0 ? tr("Relay One") : tr("Relay Two"));
            a->setCheckable(true);
            connect(a, &QAction::triggered, this, [this, i, relay] { relayClicked(i, relay); });
            RL[size_t(i)][size_t(relay)] = a;
        }
    }
}

void FrmMain::buildProgramAndToolMenus() {
    QMenuBar* bar = menuBar();

    mnuPrgrm = namedMenu(bar, QStringLiteral("mnuPrgrm"), tr("Program"));
    bar->addMenu(mnuPrgrm);
    mnuCommSett = namedMenu(mnuPrgrm, QStringLiteral("mnuCommSett"), tr("Upload Port"));
    mnuPrgrm->addMenu(mnuCommSett);
    auto* uploadPorts = new QActionGroup(mnuCommSett);
    uploadPorts->setExclusive(true);
    for (int p = 1; p <= 3; ++p) {
        QAction* a =
            namedItem(mnuCommSett, QStringLiteral("uploadport_%1").arg(p), tr("Port %1").arg(p));
        a->setCheckable(true);
        uploadPorts->addAction(a);
        uploadport[size_t(p)] = a;
    }
    uploadport[1]->setChecked(true);
    mnuUpload = namedItem(mnuPrgrm, QStringLiteral("mnuUpload"), tr("Upload New code"));
    mnuRestore = namedItem(mnuPrgrm, QStringLiteral("mnuRestore"), tr("Restore Factory Setup"));
    mnuViewDta = namedItem(mnuPrgrm, QStringLiteral("mnuViewDta"), tr("View Previous Upload Data"));
    mnuFrmWare = namedItem(mnuPrgrm, QStringLiteral("mnuFrmWare"), tr("Update Firmware"));

    mnuLables = namedMenu(bar, QStringLiteral("mnuLables"), tr("&Labels"));
    bar->addMenu(mnuLables);
    mnuLabelLayout = namedItem(mnuLables, QStringLiteral("mnuLabelLayout"), tr(" Layout"));

    mnuDiag = namedMenu(bar, QStringLiteral("mnuDiag"), tr("Diagnostics"));
    bar->addMenu(mnuDiag);
    mnuIncmDta = namedItem(mnuDiag, QStringLiteral("mnuIncmDta"), tr("Incoming Data"));
    mnuSim = namedItem(mnuDiag, QStringLiteral("mnuSim"), tr("Simulate Control"));

    mnuHelp = namedMenu(bar, QStringLiteral("mnuHelp"), tr("&Help"));
    bar->addMenu(mnuHelp);
    mnuUserGuide = namedItem(mnuHelp, QStringLiteral("mnuUserGuide"), tr("User Guide"));
    mnuUserGuide->setShortcut(QKeySequence::HelpContents);
    mnuAbout = namedItem(mnuHelp, QStringLiteral("mnuAbout"), tr("About"));
}

void FrmMain::refreshFromState() {
    for (int i = 0; i < kButtonCount; ++i) {
        const auto index = size_t(i);
        {
            const QSignalBlocker block1(commandList1_[index]);
            commandList1_[index]->setEditText(state_.device(0).commandTexts[index]);
        }
        {
            const QSignalBlocker block2(commandList2_[index]);
            commandList2_[index]->setEditText(state_.device(1).commandTexts[index]);
        }
        deviceLabel1_[index]->setText(state_.device(0).label);
        deviceLabel1_[index]->setVisible(state_.device(0).labelVisible);
        deviceLabel2_[index]->setText(state_.device(1).label);
        deviceLabel2_[index]->setVisible(state_.device(1).labelVisible);
        commandList2_[index]->setVisible(state_.commandList2Visible());
    }
    mnuEnable2->setChecked(state_.secondProjectorEnabled());
    mnuControl[1]->setEnabled(state_.secondProjectorEnabled());
    mnuControl[0]->setEnabled(!state_.port1SelectDisabled());
    for (size_t t = 0; t < timerBoxes_.size(); ++t)
        timerBoxes_[t]->setText(state_.timerTexts()[t]);
}

void FrmMain::applyWorkArea(QSizeF clientRoomTwips, qreal pixelRatio) {
    // The screen's own ratio: a window not shown yet reports 1 whatever its screen.
    const qreal ratio = pixelRatio > 0 ? pixelRatio : screen() ? screen()->devicePixelRatio() : 1.0;
    const MainLayout::Arrangement a = mainLayout_.arrange(clientRoomTwips, ratio);
    const std::vector<MainLayout::Control>& controls = mainLayout_.controls();
    for (size_t k = 0; k < controls.size(); ++k) {
        QWidget* w = layoutWidgets_[k];
        placeInTwips(w, a.place[k]);
        const QFont& design = designFonts_[k];
        w->setFont(a.layout == Layout::Scaled ? MainLayout::scaledFont(design, a.scale) : design);
        // A frame's own controls keep the visibility the view state gives them.
        const bool inFrame = controls[k].role == MainLayout::Role::FrameList ||
                             controls[k].role == MainLayout::Role::FrameLabel;
        if (!inFrame && w->isHidden() == a.shown[k])
            w->setVisible(a.shown[k]);
    }
    layout_ = a.layout;
    if (layout_ == Layout::Scaled)
        fitFrameCaptions();
    client_->setFixedSize(twipsToPixels(a.client));
    timerPicture_->setPixmap(timerPicture(timerPicture_->size(), ratio));
    scroll_->setFixedSize(MainLayout::viewSize(client_->size(), twipsToPixels(clientRoomTwips),
                                               style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
    adjustSize();
}

void FrmMain::fitFrameCaptions() {
    // The one-line captions below the frames get a smaller face where the scaled one would be cut
    // (on a 200 % screen that is still many screen pixels high).
    for (QPushButton* button : reconfigureButtons_) {
        QFont f = button->font();
        if (f.pixelSize() <= 0)
            continue;
        const int size = MainLayout::captionPixelSize(f.pixelSize(), button->width(), [&](int px) {
            QFont probe = f;
            probe.setPixelSize(px);
            return QFontMetrics(probe).horizontalAdvance(button->text());
        });
        if (size != f.pixelSize()) {
            f.setPixelSize(size);
            button->setFont(f);
        }
    }
}

void FrmMain::applyWindowWorkArea(QSize workArea, qreal pixelRatio) {
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    applyWorkArea(MainLayout::clientRoom(workArea, frameMarginsOf(this), bars), pixelRatio);
}

void FrmMain::applyScreenWorkArea() {
    const QRect area = workAreaOf(this);
    if (area.isEmpty())
        return;
    applyWindowWorkArea(area.size());
    fitIntoWorkArea(this);
}

void FrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (followsScreen_ || !windowHandle())
        return;
    followsScreen_ = true;
    // Laid out again for each screen the window moves to, and when that screen's task bars change.
    auto follow = [this](QScreen* screen) {
        if (screen)
            connect(screen, &QScreen::availableGeometryChanged, this, &FrmMain::applyScreenWorkArea,
                    Qt::UniqueConnection);
    };
    follow(windowHandle()->screen());
    connect(windowHandle(), &QWindow::screenChanged, this, [this, follow](QScreen* screen) {
        follow(screen);
        applyScreenWorkArea();
    });
}

void FrmMain::CheckRelays() {
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonConfig& record = state_.button(i);
        RL[size_t(i)][0]->setChecked(record.getRelay1St(0) == Value(RelayMomentary));
        RL[size_t(i)][1]->setChecked(record.getRelay2St(0) == Value(RelayMomentary));
    }
}

void FrmMain::relayClicked(int button, int relay) {
    // The action has already toggled its mark: no mark now means it carried one before.
    const bool nowChecked = RL[size_t(button)][size_t(relay)]->isChecked();
    state_.updateButton(button, [&](ButtonConfig& record) {
        record.setRelayInfo(relay + 1, nowChecked ? RelayMomentary : RelayOff);
    });
}

FrmControlPortSettings* FrmMain::showPortSettings(int index) {
    if (!portSettings_)
        portSettings_ = new FrmControlPortSettings(state_, this);
    portSettings_->openForPort(index);
    return portSettings_;
}

FrmConfigButtons* FrmMain::openButtonConfiguration(int index) {
    if (!configButtons_) {
        configButtons_ = new FrmConfigButtons(state_, this);
        connect(configButtons_, &FrmConfigButtons::finalized, this, &FrmMain::CheckRelays);
    }
    configButtons_->show();
    configButtons_->raise();
    configButtons_->activateWindow();
    configButtons_->setWindowTitle(frmButton(index)->title() + tr(" Configuration"));
    configButtons_->setButtonNumber(index);
    return configButtons_;
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // An own model not yet saved is asked about like the configuration; Cancel keeps both open.
    if ((closeGuard && !closeGuard()) || (userModels_ && !userModels_->close())) {
        event->ignore();
        return;
    }
    event->accept();
    // Every other window goes with the main window; none of them asks anything.
    for (QWidget* child : findChildren<QWidget*>())
        if (child->isWindow())
            child->close();
    emit closed();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const bool onTimer =
            watched == timerPicture_ ||
            std::find(timerBoxes_.begin(), timerBoxes_.end(), watched) != timerBoxes_.end();
        if (onTimer)
            emit timerDisplayClicked();
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace ondrel::ui
