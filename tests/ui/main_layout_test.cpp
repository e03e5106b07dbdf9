#include "ui/main/main_layout.h"
#include "ui/widgets/twips.h"

#include <gtest/gtest.h>

using ondrel::ui::MainLayout;
using ondrel::ui::twipsToPixels;
using Layout = MainLayout::Layout;

namespace {

// The window's frame and its menu and status bars, in pixels, as the window measures them when
// it is not shown yet; and a scroll bar's thickness.
const QMargins kFrame(4, 30, 4, 4);
constexpr int kBars = 36;
constexpr int kScrollBar = 16;

struct Screen {
    int width, height, percent;
    Layout expected;
};

// The work areas the window is checked on (MainWindowFits; 1280x720 at 100 % gives the same
// room as 1920x1080 at 150 %): only the large screen keeps the design. On the others the compact
// arrangement would overlap (its frames follow the room's height), so the design is scaled; at
// 800x600 and at 150 % it stops at the legible minimum and scrolls.
const Screen kScreens[] = {
    {1920, 1080, 100, Layout::Full},   {1920, 1080, 200, Layout::Scaled},
    {1920, 1080, 150, Layout::Scaled}, {1440, 900, 125, Layout::Scaled},
    {1366, 768, 100, Layout::Scaled},  {1024, 768, 100, Layout::Scaled},
    {800, 600, 100, Layout::Scaled},
};

TEST(MainLayoutRules, EachScreenGetsItsArrangementWhichFitsWithoutOverlap) {
    const MainLayout layout;
    for (const Screen& s : kScreens) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " " << s.percent << "%");
        const double ratio = s.percent / 100.0;
        const QSize area(s.width * 100 / s.percent, s.height * 100 / s.percent);
        const QSizeF room = MainLayout::clientRoom(area, kFrame, kBars);
        const MainLayout::Arrangement a = layout.arrange(room, ratio);
        EXPECT_EQ(a.layout, s.expected);
        EXPECT_TRUE(layout.isSound(a));
        const QSize client = twipsToPixels(a.client);
        const QSize roomPixels = twipsToPixels(room);
        const QSize view = MainLayout::viewSize(client, roomPixels, kScrollBar);
        EXPECT_LE(view.width(), roomPixels.width());
        EXPECT_LE(view.height(), roomPixels.height());
        if (a.layout == Layout::Scaled) // shrunk to the room, or to the legible minimum
            EXPECT_TRUE(client.boundedTo(roomPixels) == client || a.scale * ratio >= 0.7 - 1e-9 ||
                        a.scale == 0.5);
        else
            EXPECT_EQ(client.boundedTo(roomPixels), client);
    }
}

} // namespace
