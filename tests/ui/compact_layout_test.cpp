#include "project/project_state.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::ui::FrmMain;

namespace {

QRectF twips(const QWidget* w) {
    return ui::twipsGeometry(w);
}

QWidget* child(FrmMain& main, const char* name) {
    auto* w = main.findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

} // namespace

TEST(CompactLayout, TheFullLayoutNeedsTheWholeClientArea) {
    ProjectState state;
    FrmMain main(state);
    main.applyWorkArea({15240, 10710});
    EXPECT_EQ(main.layout(), FrmMain::Layout::Full); // its sizes: MainWindowFits
    EXPECT_FALSE(main.uploadButton()->isHidden());
    main.applyWorkArea({15240, 10709}); // a window taller than the screen is no longer kept
    EXPECT_NE(main.layout(), FrmMain::Layout::Full);
}

TEST(CompactLayout, OneTwipNarrowerMovesAndShrinksTheFramesWhereTheyStayApart) {
    ProjectState state;
    FrmMain main(state);
    main.applyWorkArea({15239, 12852}); // R = 1.2: the sizes still shrink by exactly 0.9
    ASSERT_TRUE(main.isCompact());
    EXPECT_EQ(main.client()->size(), QSize(1016, 857));
    const QRectF one = twips(main.frmButton(0));
    EXPECT_DOUBLE_EQ(one.left(), 2640 * 1.2 - 800);
    EXPECT_DOUBLE_EQ(one.top(), (1440 - 1200) * 1.2);
    EXPECT_DOUBLE_EQ(one.width(), 2775 * 0.9);
    EXPECT_DOUBLE_EQ(one.height(), 1575 * 0.9);
    EXPECT_DOUBLE_EQ(twips(main.frmButton(5)).left(), 11400 * 1.2 - 1600);
    const QRectF seven = twips(main.cmdReConfig(6));
    EXPECT_DOUBLE_EQ(seven.left(), 960 * 1.2 - 400);
    EXPECT_DOUBLE_EQ(seven.top(), (5760 + 1560 - 1200) * 1.2);
    EXPECT_DOUBLE_EQ(seven.height(), 375 * 0.9);
    EXPECT_DOUBLE_EQ(twips(main.Combo2(3)).width(), 2535 * 0.9);
    EXPECT_DOUBLE_EQ(twips(main.Label3(3)).width(), 2535);
    const QRectF image = twips(child(main, "Image1"));
    EXPECT_EQ(image, QRectF(0, seven.top() + 700, 3600 * 1.2, 1800 * 1.2));
    for (const char* name :
         {"Picture1", "Text1_0", "Text1_3", "Line2", "Line9", "Command1", "Command2"})
        EXPECT_TRUE(child(main, name)->isHidden()) << name;
    EXPECT_FALSE(child(main, "Label1")->isHidden());
}

TEST(CompactLayout, WhereTheCompactArrangementWouldOverlapTheDesignIsScaled) {
    ProjectState state;
    FrmMain main(state);
    main.applyWorkArea({15239, 8568}); // R = 0.8: Label1 would cross Button Two
    ASSERT_EQ(main.layout(), FrmMain::Layout::Scaled);
    EXPECT_EQ(twips(main.frmButton(2)), QRectF(960 * 0.8, 3600 * 0.8, 2775 * 0.8, 1575 * 0.8));
    EXPECT_FALSE(main.uploadButton()->isHidden());
    main.applyWorkArea({20000, 15000}); // back to a large screen: the design layout returns
    EXPECT_EQ(main.layout(), FrmMain::Layout::Full);
    EXPECT_EQ(twips(main.frmButton(2)), QRectF(960, 3600, 2775, 1575));
}
