#include "frm_main.h"

#include "app_version.h"
#include "brand_picture.h"
#include "catalogue/catalogue.h"
#include "elided_label.h"
#include "frm_config_buttons.h"
#include "frm_control_port_settings.h"
#include "frm_user_models.h"
#include "panel_programming.h"
#include "room_records.h"
#include "twips.h"
#include "window_placement.h"
#include "wrap_button.h"

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

constexpr double kFrameWidth = 2775;
constexpr double kFrameHeight = 1575;
// Design positions of the ten frames, laid out like the panel's buttons.
constexpr QPointF kFrameTopLeft[kButtonCount] = {
    {2640, 1440},  {9600, 1440}, {960, 3600},  {4440, 3600}, {7920, 3600},
    {11400, 3600}, {960, 5760},  {4440, 5760}, {7920, 5760}, {11400, 5760}};
// Column of each frame, which decides how far the compact layout moves it left.
constexpr int kCompactColumn[kButtonCount] = {2, 4, 1, 2, 3, 4, 1, 2, 3, 4};
constexpr double kFrameScale = 0.9;

// Decorative lines: x1, y1, x2, y2 in twips.
constexpr QRectF kLines[9] = {{240, 1200, 14760, 0}, {5760, 7920, 0, 2520}, {9480, 7920, 0, 2520},
                              {240, 3360, 14760, 0}, {240, 5520, 14760, 0}, {6000, 1440, 0, 1575},
                              {9240, 1440, 0, 1575}, {5760, 7920, 3720, 0}, {5760, 10440, 3720, 0}};

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
    programming_ = new PanelProgramming(*this, serialLines());
    new RoomRecords(*this); // room sheet and programming history
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

    auto* picture1 = new QLabel(client_);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setFrameShape(QFrame::Panel);
    picture1->setFrameShadow(QFrame::Sunken);
    design_[picture1] = {5880, 7980, 3480, 2340};
    picture1->setToolTip(tr("Click to set up the shut-off timer"));
    picture1->installEventFilter(this);
    picture1_ = picture1;

    const double textLeft[4] = {6000, 6600, 7560, 8160};
    const double textTop[4] = {8040, 9720, 8040, 9720};
    for (int i = 0; i < 4; ++i) {
        auto* box = new QLineEdit(client_);
        box->setObjectName(QStringLiteral("Text1_%1").arg(i));
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(Qt::AlignCenter);
        box->installEventFilter(this);
        design_[box] = {textLeft[i], textTop[i], 1095, 375};
        text1_[size_t(i)] = box;
    }

    // Explicitly not bold: a font that leaves the weight unset would inherit the frame's.
    QFont plainFont = font();
    plainFont.setBold(false);
    QFont boldFont = font();
    boldFont.setBold(true);
    for (int i = 0; i < kButtonCount; ++i) {
        auto* frame = new QGroupBox(tr(kButtonNames[i]), client_);
        frame->setObjectName(QStringLiteral("frmButton_%1").arg(i));
        frame->setFont(boldFont);
        design_[frame] = {kFrameTopLeft[i], QSizeF(kFrameWidth, kFrameHeight)};
        frmButton_[size_t(i)] = frame;

        auto makeLabel = [&](const QString& name, const QString& caption, double top) {
            auto* label = new ElidedLabel(caption, frame);
            label->setObjectName(name.arg(i));
            label->setFont(plainFont);
            label->hide();
            design_[label] = {120, top, 2535, 240};
            return label;
        };
        auto makeCombo = [&](const QString& name, double top) {
            auto* combo = new QComboBox(frame);
            combo->setObjectName(name.arg(i));
            combo->setFont(plainFont);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setMaxVisibleItems(20);
            design_[combo] = {120, top, 2535, 315};
            return combo;
        };
        label3_[size_t(i)] = makeLabel(QStringLiteral("Label3_%1"), QStringLiteral("Label3"), 240);
        combo1_[size_t(i)] = makeCombo(QStringLiteral("Combo1_%1"), 480);
        label4_[size_t(i)] = makeLabel(QStringLiteral("Label4_%1"), QStringLiteral("Label4"), 840);
        combo2_[size_t(i)] = makeCombo(QStringLiteral("Combo2_%1"), 1080);
        combo2_[size_t(i)]->hide();

        auto* reconfigure = new QPushButton(tr("View Button Detail/Reconfigure"), client_);
        reconfigure->setObjectName(QStringLiteral("cmdReConfig_%1").arg(i));
        design_[reconfigure] = {kFrameTopLeft[i].x(), kFrameTopLeft[i].y() + 1560, kFrameWidth,
                                375};
        connect(reconfigure, &QPushButton::clicked, this, [this, i] { cmdReConfig_Click(i); });
        cmdReConfig_[size_t(i)] = reconfigure;
    }

    restoreButton_ = new WrapButton(tr("Restore Factory Setup"), client_);
    restoreButton_->setObjectName(QStringLiteral("Command2"));
    design_[restoreButton_] = {12000, 8280, 2175, 735};
    uploadButton_ = new WrapButton(tr("Upload New configuration to Control"), client_);
    uploadButton_->setObjectName(QStringLiteral("Command1"));
    design_[uploadButton_] = {12000, 9240, 2175, 735};

    label1_ = new QLabel(QStringLiteral("Ondrel"), client_);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFont(productNameFont(20));
    label1_->setAlignment(Qt::AlignCenter);
    design_[label1_] = {6960, 1440, 1695, 615};

    image1_ = new QLabel(client_);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setScaledContents(true);
    design_[image1_] = {960, 8280, 3600, 1800};
    image1_->setPixmap(brandPicture(twipsToPixels(design_[image1_].size()) * 2));

    for (int n = 0; n < 9; ++n) {
        auto* line = new QFrame(client_);
        line->setObjectName(QStringLiteral("Line%1").arg(n + 1));
        const QRectF& l = kLines[n];
        const bool horizontal = l.height() == 0;
        line->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        design_[line] = horizontal ? QRectF(l.left(), l.top() - 15, l.width(), 30)
                                   : QRectF(l.left() - 15, l.top(), 30, l.height());
        line->lower();
        line_[size_t(n)] = line;
    }
    picture1_->lower();
    for (auto it = design_.cbegin(); it != design_.cend(); ++it)
        designFont_[it.key()] = it.key()->font();
}

void FrmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [](QWidget* parentMenu, const QString& name, const QString& title) {
        auto* m = new QMenu(title, parentMenu);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };
    auto item = [](QMenu* m, const QString& name, const QString& caption) {
        QAction* a = m->addAction(caption);
        a->setObjectName(name);
        return a;
    };

    mnuFike = menu(bar, QStringLiteral("mnuFike"), tr("&File"));
    bar->addMenu(mnuFike);
    mnuOpenFile = item(mnuFike, QStringLiteral("mnuOpenFile"), tr("&Open"));
    mnuSave = item(mnuFike, QStringLiteral("mnuSave"), tr("&Save"));
    mnuSaveas = item(mnuFike, QStringLiteral("mnuSaveas"), tr("Save As"));
    mnuExit = item(mnuFike, QStringLiteral("mnuExit"), tr("E&xit"));
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);

    mnuControlPorts = menu(bar, QStringLiteral("mnuControlPorts"), tr("&Control Ports"));
    bar->addMenu(mnuControlPorts);
    mnuSettings = menu(mnuControlPorts, QStringLiteral("mnuSettings"), tr("Settings"));
    mnuControlPorts->addMenu(mnuSettings);
    mnuPort[0] = item(mnuSettings, QStringLiteral("mnuPort_0"), tr("Port 1"));
    mnuPort[1] = item(mnuSettings, QStringLiteral("mnuPort_1"), tr("Port 2"));
    for (int p = 0; p < 2; ++p)
        connect(mnuPort[size_t(p)], &QAction::triggered, this, [this, p] { showPortSettings(p); });
    mnuKdx = item(mnuControlPorts, QStringLiteral("mnuKdx"), tr("Enable KDX Device"));
    mnuKdx->setCheckable(true);
    mnuSerialPorts =
        item(mnuControlPorts, QStringLiteral("mnuSerialPorts"), tr("PC Serial &Ports..."));

    mnuProjector = menu(bar, QStringLiteral("mnuProjector"), tr("&Projector"));
    bar->addMenu(mnuProjector);
    mnuSelectModel = menu(mnuProjector, QStringLiteral("mnuSelectModel"), tr("Select Model"));
    mnuProjector->addMenu(mnuSelectModel);
    mnuControl[0] = item(mnuSelectModel, QStringLiteral("mnuControl_0"), tr("Control Port 1"));
    mnuControl[1] = item(mnuSelectModel, QStringLiteral("mnuControl_1"), tr("Control Port 2"));
    mnuControl[1]->setEnabled(false);
    mnuEnable2 = item(mnuProjector, QStringLiteral("mnuEnable2"), tr("Enable Second Projector"));
    mnuEnable2->setCheckable(true);

    mnuTimer = menu(bar, QStringLiteral("mnuTimer"), tr("&Timer"));
    bar->addMenu(mnuTimer);
    mnuSetupTimer = item(mnuTimer, QStringLiteral("mnuSetupTimer"), tr("Setup"));
    connect(mnuSetupTimer, &QAction::triggered, this, &FrmMain::timerDisplayClicked);

    Relays = menu(bar, QStringLiteral("Relays"), tr("Setup &Relays"));
    bar->addMenu(Relays);
    for (int i = 0; i < kButtonCount; ++i) {
        QMenu* rb = menu(Relays, QStringLiteral("RB_%1").arg(i), tr(kButtonNames[i]));
        Relays->addMenu(rb);
        RB[size_t(i)] = rb;
        for (int relay = 0; relay < 2; ++relay) {
            QAction* a = item(rb, QStringLiteral("RL%1_%2").arg(i + 1).arg(relay),
                              relay == 0 ? tr("Relay One") : tr("Relay Two"));
            a->setCheckable(true);
            connect(a, &QAction::triggered, this, [this, i, relay] { relayClicked(i, relay); });
            RL[size_t(i)][size_t(relay)] = a;
        }
    }

    mnuPrgrm = menu(bar, QStringLiteral("mnuPrgrm"), tr("Program"));
    bar->addMenu(mnuPrgrm);
    mnuCommSett = menu(mnuPrgrm, QStringLiteral("mnuCommSett"), tr("Upload Port"));
    mnuPrgrm->addMenu(mnuCommSett);
    auto* uploadPorts = new QActionGroup(mnuCommSett);
    uploadPorts->setExclusive(true);
    for (int p = 1; p <= 3; ++p) {
        QAction* a =
            item(mnuCommSett, QStringLiteral("uploadport_%1").arg(p), tr("Port %1").arg(p));
        a->setCheckable(true);
        uploadPorts->addAction(a);
        uploadport[size_t(p)] = a;
    }
    uploadport[1]->setChecked(true);
    mnuUpload = item(mnuPrgrm, QStringLiteral("mnuUpload"), tr("Upload New code"));
    mnuRestore = item(mnuPrgrm, QStringLiteral("mnuRestore"), tr("Restore Factory Setup"));
    mnuViewDta = item(mnuPrgrm, QStringLiteral("mnuViewDta"), tr("View Previous Upload Data"));
    mnuFrmWare = item(mnuPrgrm, QStringLiteral("mnuFrmWare"), tr("Update Firmware"));

    mnuLables = menu(bar, QStringLiteral("mnuLables"), tr("&Labels"));
    bar->addMenu(mnuLables);
    mnuLabelLayout = item(mnuLables, QStringLiteral("mnuLabelLayout"), tr(" Layout"));

    mnuDiag = menu(bar, QStringLiteral("mnuDiag"), tr("Diagnostics"));
    bar->addMenu(mnuDiag);
    mnuIncmDta = item(mnuDiag, QStringLiteral("mnuIncmDta"), tr("Incoming Data"));
    mnuSim = item(mnuDiag, QStringLiteral("mnuSim"), tr("Simulate Control"));

    mnuHelp = menu(bar, QStringLiteral("mnuHelp"), tr("&Help"));
    bar->addMenu(mnuHelp);
    mnuUserGuide = item(mnuHelp, QStringLiteral("mnuUserGuide"), tr("User Guide"));
    mnuUserGuide->setShortcut(QKeySequence::HelpContents);
    mnuAbout = item(mnuHelp, QStringLiteral("mnuAbout"), tr("About"));

    // Short confirmations (a file saved) appear at the foot of the window.
    statusBar()->setSizeGripEnabled(false);
}

void FrmMain::refreshFromState() {
    for (int i = 0; i < kButtonCount; ++i) {
        const auto index = size_t(i);
        {
            const QSignalBlocker block1(combo1_[index]);
            combo1_[index]->setEditText(state_.device(0).commandTexts[index]);
        }
        {
            const QSignalBlocker block2(combo2_[index]);
            combo2_[index]->setEditText(state_.device(1).commandTexts[index]);
        }
        label3_[index]->setText(state_.device(0).label);
        label3_[index]->setVisible(state_.device(0).labelVisible);
        label4_[index]->setText(state_.device(1).label);
        label4_[index]->setVisible(state_.device(1).labelVisible);
        combo2_[index]->setVisible(state_.commandList2Visible());
    }
    mnuEnable2->setChecked(state_.secondProjectorEnabled());
    mnuControl[1]->setEnabled(state_.secondProjectorEnabled());
    mnuControl[0]->setEnabled(!state_.port1SelectDisabled());
    for (size_t t = 0; t < text1_.size(); ++t)
        text1_[t]->setText(state_.timerTexts()[t]);
}

void FrmMain::applyWorkArea(QSizeF clientRoomTwips, qreal pixelRatio) {
    // The screen's own ratio: a window not shown yet reports 1 whatever its screen.
    const qreal ratio = pixelRatio > 0 ? pixelRatio : screen() ? screen()->devicePixelRatio() : 1.0;
    for (auto it = design_.cbegin(); it != design_.cend(); ++it) {
        placeInTwips(it.key(), it.value());
        it.key()->setFont(designFont_.value(it.key()));
    }
    QList<QWidget*> hiddenWhenCompact = {picture1_, uploadButton_, restoreButton_, line_[1],
                                         line_[2],  line_[7],      line_[8]};
    for (QLineEdit* box : text1_)
        hiddenWhenCompact.append(box);
    for (QWidget* w : hiddenWhenCompact)
        w->setVisible(true);
    for (QFrame* line : line_)
        line->setVisible(true);

    const QSizeF design(kClientWidth, kClientHeight);
    QSizeF clientTwips = design;
    if (clientRoomTwips.width() >= kClientWidth && clientRoomTwips.height() >= kClientHeight) {
        layout_ = Layout::Full;
    } else {
        layout_ = Layout::Compact;
        for (QWidget* w : hiddenWhenCompact)
            w->setVisible(false);
        placeCompact(clientRoomTwips);
        clientTwips = clientRoomTwips;
        client_->setFixedSize(twipsToPixels(clientTwips));
        if (!layoutIsSound()) {
            // The compact arrangement overlaps here: shrink the whole design instead.
            for (QWidget* w : hiddenWhenCompact)
                w->setVisible(true);
            for (QFrame* line : line_)
                line->setVisible(true);
            const double fit = std::min(clientRoomTwips.width() / kClientWidth,
                                        clientRoomTwips.height() / kClientHeight);
            // Below this the lists' texts would be too small to read (counted in the screen's
            // own pixels, so a 200 % screen allows a smaller layout); scroll instead.
            const double scale = std::max(fit, std::max(0.5, 0.7 / ratio));
            placeScaled(scale);
            clientTwips = design * scale;
            layout_ = Layout::Scaled;
        }
    }
    client_->setFixedSize(twipsToPixels(clientTwips));
    picture1_->setPixmap(timerPicture(picture1_->size(), ratio));
    const QSize room = twipsToPixels(clientRoomTwips);
    QSize view = client_->size();
    if (view.width() > room.width() || view.height() > room.height()) {
        // A bar along one side takes room from the other direction's view.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (view.width() > room.width())
            view.rheight() += bar;
        if (view.height() > room.height())
            view.rwidth() += bar;
        view = view.boundedTo(room);
    }
    scroll_->setFixedSize(view);
    adjustSize();
}

void FrmMain::placeCompact(QSizeF room) {
    const double r = room.height() / kClientHeight;
    for (int i = 0; i < kButtonCount; ++i) {
        const int k = kCompactColumn[i];
        for (QWidget* w : {static_cast<QWidget*>(frmButton_[size_t(i)]),
                           static_cast<QWidget*>(cmdReConfig_[size_t(i)])}) {
            const QRectF d = design_.value(w);
            placeInTwips(w, {d.left() * r - 400 * k, (d.top() - 1200) * r, d.width() * kFrameScale,
                             d.height() * kFrameScale});
        }
        for (QComboBox* combo : {combo1_[size_t(i)], combo2_[size_t(i)]}) {
            const QRectF d = design_.value(combo);
            placeInTwips(combo, {d.topLeft(), QSizeF(d.width() * kFrameScale, d.height())});
        }
    }
    const QRectF image = design_.value(image1_);
    placeInTwips(image1_, {0, twipsGeometry(cmdReConfig_[6]).top() + 700, image.width() * r,
                           image.height() * r});
    // The decorative lines stay where the design has them; one that would now run through a
    // frame goes.
    for (QFrame* line : line_)
        for (QGroupBox* frame : frmButton_)
            if (line->isVisibleTo(client_) && line->geometry().intersects(frame->geometry()))
                line->hide();
}

void FrmMain::placeScaled(double scale) {
    for (auto it = design_.cbegin(); it != design_.cend(); ++it) {
        const QRectF d = it.value();
        placeInTwips(it.key(), {d.topLeft() * scale, d.size() * scale});
        QFont f = designFont_.value(it.key());
        if (f.pixelSize() > 0)
            f.setPixelSize(std::max(8, int(std::lround(f.pixelSize() * scale))));
        else
            f.setPointSizeF(f.pointSizeF() * scale);
        it.key()->setFont(f);
    }
    // The one-line captions below the frames get a smaller face where the scaled one would be cut
    // (on a 200 % screen that is still many screen pixels high).
    for (QPushButton* button : cmdReConfig_) {
        QFont f = button->font();
        while (f.pixelSize() > 6 &&
               QFontMetrics(f).horizontalAdvance(button->text()) + 8 > button->width()) {
            f.setPixelSize(f.pixelSize() - 1);
            button->setFont(f);
        }
    }
}

bool FrmMain::layoutIsSound() const {
    const QRect area = client_->rect();
    QList<QWidget*> controls;
    for (QWidget* w : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisibleTo(client_) && !w->isWindow())
            controls << w;
    auto isLine = [this](const QWidget* w) {
        return std::find(line_.begin(), line_.end(), w) != line_.end();
    };
    auto isFrame = [this](const QWidget* w) {
        return std::find(frmButton_.begin(), frmButton_.end(), w) != frmButton_.end();
    };
    for (int a = 0; a < controls.size(); ++a) {
        const QWidget* wa = controls[a];
        if (!isLine(wa) && !area.contains(wa->geometry()))
            return false;
        for (int b = a + 1; b < controls.size(); ++b) {
            const QWidget* wb = controls[b];
            const QRect overlap = wa->geometry().intersected(wb->geometry());
            if (overlap.isEmpty())
                continue;
            // Decorative lines may run under buttons, and the timer texts lie on its picture.
            if ((isLine(wa) || isLine(wb)) && !isFrame(wa) && !isFrame(wb))
                continue;
            const auto isText = [this](const QWidget* w) {
                return std::find(text1_.begin(), text1_.end(), w) != text1_.end();
            };
            if ((wa == picture1_ && isText(wb)) || (wb == picture1_ && isText(wa)))
                continue;
            // The design lets each frame's button below it touch the frame's lower edge.
            const auto fa = std::find(frmButton_.begin(), frmButton_.end(), wa);
            const auto fb = std::find(frmButton_.begin(), frmButton_.end(), wb);
            const bool ownButton =
                (fa != frmButton_.end() && cmdReConfig_[size_t(fa - frmButton_.begin())] == wb) ||
                (fb != frmButton_.end() && cmdReConfig_[size_t(fb - frmButton_.begin())] == wa);
            if (ownButton && overlap.height() <= 2)
                continue;
            return false;
        }
    }
    return true;
}

void FrmMain::applyWindowWorkArea(QSize workArea, qreal pixelRatio) {
    const QMargins frame = frameMarginsOf(this);
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    const QSize room(workArea.width() - frame.left() - frame.right(),
                     workArea.height() - frame.top() - frame.bottom() - bars);
    applyWorkArea({pixelsToTwips(room.width()), pixelsToTwips(room.height())}, pixelRatio);
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
    configButtons_->ButtonNumber = index;
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
        const bool onTimer = watched == picture1_ ||
                             std::find(text1_.begin(), text1_.end(), watched) != text1_.end();
        if (onTimer)
            emit timerDisplayClicked();
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace ondrel::ui
