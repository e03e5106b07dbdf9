#pragma once

#include <QFont>
#include <QMargins>
#include <QRectF>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

namespace ondrel::ui {

// The arrangement of the main window's client area, worked out from plain inputs: the room there
// is (twips), the screen's pixel ratio and the design of each control. Three arrangements:
//  - Full: the design layout, kept wherever it fits;
//  - Compact: for narrow screens the frames move left and shrink, and the timer display and the
//    two big command buttons go;
//  - Scaled: where the compact arrangement would overlap or not fit, the whole design scaled down
//    to the room there is (held in a scroll area below a legible minimum).
class MainLayout {
public:
    enum class Layout { Full, Compact, Scaled };

    // The design's client area, in twips.
    static constexpr double kClientWidth = 15240;
    static constexpr double kClientHeight = 10710;

    // What a control is to the arrangement rules.
    enum class Role {
        Frame,        // one button's frame (frmButton)
        FrameButton,  // the button below a frame (cmdReConfig)
        FrameList,    // a command list inside a frame
        FrameLabel,   // a device label inside a frame
        Title,        // the product name (Label1)
        Brand,        // the brand picture (Image1)
        TimerPicture, // Picture1
        TimerText,    // the four timer texts lying on it
        TimerLine,    // the lines around the timer display
        Line,         // the other decorative lines
        Command,      // "Upload ..." and "Restore Factory Setup"
    };
    struct Control {
        QString name; // the widget's object name
        Role role;
        int button = -1; // 0 to 9 for the controls of a button
        QRectF design;   // twips, relative to its parent (the client or its frame)
    };

    struct Arrangement {
        Layout layout = Layout::Full;
        double scale = 1;          // of sizes and faces; below 1 only when Scaled
        QSizeF client;             // twips
        std::vector<QRectF> place; // twips, one per control
        std::vector<bool> shown;   // one per control; a frame's own controls keep theirs
    };

    explicit MainLayout(std::vector<Control> controls = designControls());

    // The controls of the design, in the order their widgets are made.
    static std::vector<Control> designControls();
    const std::vector<Control>& controls() const { return controls_; }

    // The arrangement for `roomTwips` of client area on a screen of `pixelRatio` device pixels
    // per device-independent one.
    Arrangement arrange(QSizeF roomTwips, double pixelRatio) const;
    // No shown controls of the client overlap (a frame and its own button below it may touch,
    // decorative lines may run under anything but a frame, the timer texts lie on its picture),
    // and everything lies inside the client area, all in whole pixels as the widgets are placed.
    bool isSound(const Arrangement& arrangement) const;

    // The client room (twips) of a work area (pixels) holding the window's frame and its bars.
    static QSizeF clientRoom(QSize workArea, QMargins frame, int barsHeight);
    // The scroll area's size: the client, bounded by the room; a scroll bar along one side takes
    // room from the other direction's view.
    static QSize viewSize(QSize client, QSize room, int scrollBarExtent);
    // A control's face in the scaled arrangement.
    static QFont scaledFont(QFont design, double scale);
    // The pixel size of a one-line caption under a frame: smaller, down to a floor, while
    // `advance(pixelSize)` (its text's width) would be cut at `width`.
    static int captionPixelSize(int pixelSize, int width, const std::function<int(int)>& advance);

private:
    void placeCompact(QSizeF room, Arrangement& a) const;
    void placeScaled(QSizeF room, double pixelRatio, Arrangement& a) const;
    static bool isLine(Role role) { return role == Role::Line || role == Role::TimerLine; }
    static bool hiddenWhenCompact(Role role);
    // Inside a frame: placed with it, and neither checked nor shown by the arrangement.
    static bool insideFrame(Role role) {
        return role == Role::FrameList || role == Role::FrameLabel;
    }

    std::vector<Control> controls_;
};

} // namespace ondrel::ui
