#include "ui/main/main_layout.h"

#include "ui/widgets/twips.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace ondrel::ui {

namespace main_design {

constexpr int kButtons = 10;
constexpr double kFrameWidth = 2775;
constexpr double kFrameHeight = 1575;
// Design positions of the ten frames, laid out like the panel's buttons.
constexpr QPointF kFrameTopLeft[kButtons] = {{2640, 1440}, {9600, 1440},  {960, 3600}, {4440, 3600},
                                             {7920, 3600}, {11400, 3600}, {960, 5760}, {4440, 5760},
                                             {7920, 5760}, {11400, 5760}};
// The button below each frame starts this far below the frame's top and is this high.
constexpr double kFrameButtonOffset = 1560;
constexpr double kFrameButtonHeight = 375;
// Inside a frame: the device labels and command lists, one above the other.
constexpr double kInnerLeft = 120;
constexpr double kInnerWidth = 2535;
constexpr double kLabelHeight = 240;
constexpr double kListHeight = 315;
constexpr double kLabel1Top = 240, kList1Top = 480, kLabel2Top = 840, kList2Top = 1080;

constexpr QRectF kTimerPicture{5880, 7980, 3480, 2340};
constexpr QPointF kTimerTextTopLeft[4] = {{6000, 8040}, {6600, 9720}, {7560, 8040}, {8160, 9720}};
constexpr QSizeF kTimerTextSize{1095, 375};
constexpr QRectF kRestoreButton{12000, 8280, 2175, 735};
constexpr QRectF kUploadButton{12000, 9240, 2175, 735};
constexpr QRectF kProductName{6960, 1440, 1695, 615};
constexpr QRectF kBrand{960, 8280, 3600, 1800};

// Decorative lines: x1, y1, x2, y2 in twips, drawn 30 twips thick.
constexpr QRectF kLines[9] = {{240, 1200, 14760, 0}, {5760, 7920, 0, 2520}, {9480, 7920, 0, 2520},
                              {240, 3360, 14760, 0}, {240, 5520, 14760, 0}, {6000, 1440, 0, 1575},
                              {9240, 1440, 0, 1575}, {5760, 7920, 3720, 0}, {5760, 10440, 3720, 0}};
constexpr double kLineThickness = 30;
// Lines 2, 3, 8 and 9 box the timer display.
constexpr bool kAroundTimer[9] = {false, true, true, false, false, false, false, true, true};

// Compact: each frame moves left by this much per column it stands in (1 to 4), the strip above
// the first row goes, positions follow the room's height and sizes shrink to kFrameScale.
constexpr int kCompactColumn[kButtons] = {2, 4, 1, 2, 3, 4, 1, 2, 3, 4};
constexpr double kCompactShiftPerColumn = 400;
constexpr double kCompactTopStrip = 1200;
constexpr double kFrameScale = 0.9;
// The brand picture sits this far below the top of Button Seven's button.
constexpr int kBrandBelowButton = 6;
constexpr double kBrandGap = 700;

// Scaled: never below kMinScale, nor below kLegibleScreenScale screen pixels per design pixel
// (so a 200 % screen allows a smaller layout); scroll instead.
constexpr double kMinScale = 0.5;
constexpr double kLegibleScreenScale = 0.7;
constexpr int kMinScaledPixels = 8;
// Captions under the frames: never below kMinCaptionPixels; kCaptionPadding for the button's
// own margins.
constexpr int kMinCaptionPixels = 6;
constexpr int kCaptionPadding = 8;
// A frame's own button may overlap its lower edge by this many pixels.
constexpr int kFrameButtonTouch = 2;

} // namespace main_design

MainLayout::MainLayout(std::vector<Control> controls) : controls_(std::move(controls)) {}

std::vector<MainLayout::Control> MainLayout::designControls() {
    using namespace main_design;
    std::vector<Control> c;
    c.push_back({QStringLiteral("Picture1"), Role::TimerPicture, -1, kTimerPicture});
    for (int i = 0; i < 4; ++i)
        c.push_back({QStringLiteral("Text1_%1").arg(i), Role::TimerText, -1,
                     QRectF(kTimerTextTopLeft[i], kTimerTextSize)});
    for (int i = 0; i < kButtons; ++i) {
        const QPointF at = kFrameTopLeft[i];
        c.push_back({QStringLiteral("frmButton_%1").arg(i), Role::Frame, i,
                     QRectF(at, QSizeF(kFrameWidth, kFrameHeight))});
        const auto inner = [&](const char* name, Role role, double top, double height) {
            c.push_back({QString::fromLatin1(name).arg(i), role, i,
                         QRectF(kInnerLeft, top, kInnerWidth, height)});
        };
        inner("Label3_%1", Role::FrameLabel, kLabel1Top, kLabelHeight);
        inner("Combo1_%1", Role::FrameList, kList1Top, kListHeight);
        inner("Label4_%1", Role::FrameLabel, kLabel2Top, kLabelHeight);
        inner("Combo2_%1", Role::FrameList, kList2Top, kListHeight);
        c.push_back({QStringLiteral("cmdReConfig_%1").arg(i), Role::FrameButton, i,
                     QRectF(at.x(), at.y() + kFrameButtonOffset, kFrameWidth, kFrameButtonHeight)});
    }
    c.push_back({QStringLiteral("Command2"), Role::Command, -1, kRestoreButton});
    c.push_back({QStringLiteral("Command1"), Role::Command, -1, kUploadButton});
    c.push_back({QStringLiteral("Label1"), Role::Title, -1, kProductName});
    c.push_back({QStringLiteral("Image1"), Role::Brand, -1, kBrand});
    for (int n = 0; n < 9; ++n) {
        const QRectF& l = kLines[n];
        const double half = kLineThickness / 2;
        const QRectF band = l.height() == 0
                                ? QRectF(l.left(), l.top() - half, l.width(), kLineThickness)
                                : QRectF(l.left() - half, l.top(), kLineThickness, l.height());
        c.push_back({QStringLiteral("Line%1").arg(n + 1),
                     kAroundTimer[n] ? Role::TimerLine : Role::Line, -1, band});
    }
    return c;
}

bool MainLayout::hiddenWhenCompact(Role role) {
    return role == Role::TimerPicture || role == Role::TimerText || role == Role::TimerLine ||
           role == Role::Command;
}

MainLayout::Arrangement MainLayout::arrange(QSizeF roomTwips, double pixelRatio) const {
    Arrangement a;
    a.client = QSizeF(kClientWidth, kClientHeight);
    for (const Control& c : controls_) {
        a.place.push_back(c.design);
        a.shown.push_back(true);
    }
    if (roomTwips.width() >= kClientWidth && roomTwips.height() >= kClientHeight)
        return a;
    a.layout = Layout::Compact;
    placeCompact(roomTwips, a);
    if (!isSound(a))
        placeScaled(roomTwips, pixelRatio, a);
    return a;
}

void MainLayout::placeCompact(QSizeF room, Arrangement& a) const {
    using namespace main_design;
    const double r = room.height() / kClientHeight;
    a.client = room;
    double brandTop = 0;
    for (size_t k = 0; k < controls_.size(); ++k) {
        const Control& c = controls_[k];
        const QRectF d = c.design;
        a.shown[k] = !hiddenWhenCompact(c.role);
        if (c.role == Role::Frame || c.role == Role::FrameButton) {
            const double shift = kCompactShiftPerColumn * kCompactColumn[c.button];
            a.place[k] = {d.left() * r - shift, (d.top() - kCompactTopStrip) * r,
                          d.width() * kFrameScale, d.height() * kFrameScale};
            if (c.role == Role::FrameButton && c.button == kBrandBelowButton)
                brandTop = a.place[k].top() + kBrandGap;
        } else if (c.role == Role::FrameList) {
            a.place[k] = {d.topLeft(), QSizeF(d.width() * kFrameScale, d.height())};
        }
    }
    for (size_t k = 0; k < controls_.size(); ++k) {
        const QRectF d = controls_[k].design;
        if (controls_[k].role == Role::Brand)
            a.place[k] = {0, brandTop, d.width() * r, d.height() * r};
    }
    // The decorative lines stay where the design has them; one that would now run through a
    // frame goes.
    for (size_t l = 0; l < controls_.size(); ++l) {
        if (!isLine(controls_[l].role) || !a.shown[l])
            continue;
        for (size_t f = 0; f < controls_.size(); ++f)
            if (controls_[f].role == Role::Frame &&
                twipsToPixels(a.place[l]).intersects(twipsToPixels(a.place[f])))
                a.shown[l] = false;
    }
}

void MainLayout::placeScaled(QSizeF room, double pixelRatio, Arrangement& a) const {
    using namespace main_design;
    const double fit = std::min(room.width() / kClientWidth, room.height() / kClientHeight);
    a.scale = std::max(fit, std::max(kMinScale, kLegibleScreenScale / pixelRatio));
    a.layout = Layout::Scaled;
    a.client = QSizeF(kClientWidth, kClientHeight) * a.scale;
    for (size_t k = 0; k < controls_.size(); ++k) {
        const QRectF d = controls_[k].design;
        a.place[k] = {d.topLeft() * a.scale, d.size() * a.scale};
        a.shown[k] = true;
    }
}

bool MainLayout::isSound(const Arrangement& a) const {
    using namespace main_design;
    const QRect area(QPoint(0, 0), twipsToPixels(a.client));
    std::vector<size_t> shown;
    for (size_t k = 0; k < controls_.size(); ++k)
        if (a.shown[k] && !insideFrame(controls_[k].role))
            shown.push_back(k);
    for (size_t i = 0; i < shown.size(); ++i) {
        const Control& ca = controls_[shown[i]];
        const QRect ra = twipsToPixels(a.place[shown[i]]);
        if (!isLine(ca.role) && !area.contains(ra))
            return false;
        for (size_t j = i + 1; j < shown.size(); ++j) {
            const Control& cb = controls_[shown[j]];
            const QRect overlap = ra.intersected(twipsToPixels(a.place[shown[j]]));
            if (overlap.isEmpty())
                continue;
            if ((isLine(ca.role) || isLine(cb.role)) && ca.role != Role::Frame &&
                cb.role != Role::Frame)
                continue;
            const auto pair = [&](Role x, Role y) {
                return (ca.role == x && cb.role == y) || (ca.role == y && cb.role == x);
            };
            if (pair(Role::TimerPicture, Role::TimerText))
                continue;
            // The design lets each frame's button below it touch the frame's lower edge.
            if (pair(Role::Frame, Role::FrameButton) && ca.button == cb.button &&
                overlap.height() <= kFrameButtonTouch)
                continue;
            return false;
        }
    }
    return true;
}

QSizeF MainLayout::clientRoom(QSize workArea, QMargins frame, int barsHeight) {
    const QSize room(workArea.width() - frame.left() - frame.right(),
                     workArea.height() - frame.top() - frame.bottom() - barsHeight);
    return {pixelsToTwips(room.width()), pixelsToTwips(room.height())};
}

QSize MainLayout::viewSize(QSize client, QSize room, int scrollBarExtent) {
    QSize view = client;
    if (view.width() > room.width() || view.height() > room.height()) {
        if (view.width() > room.width())
            view.rheight() += scrollBarExtent;
        if (view.height() > room.height())
            view.rwidth() += scrollBarExtent;
        view = view.boundedTo(room);
    }
    return view;
}

QFont MainLayout::scaledFont(QFont f, double scale) {
    using namespace main_design;
    if (f.pixelSize() > 0)
        f.setPixelSize(std::max(kMinScaledPixels, int(std::lround(f.pixelSize() * scale))));
    else
        f.setPointSizeF(f.pointSizeF() * scale);
    return f;
}

int MainLayout::captionPixelSize(int pixelSize, int width, const std::function<int(int)>& advance) {
    using namespace main_design;
    while (pixelSize > kMinCaptionPixels && advance(pixelSize) + kCaptionPadding > width)
        --pixelSize;
    return pixelSize;
}

} // namespace ondrel::ui
