#include "project/project_state.h"
#include "ui/frm_main.h"
#include "ui/twips.h"

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

TEST(CompactLayout, OneTwipNarrowerThanTheWindowMovesAndShrinksTheFramesAndBackAgain) {
    ProjectState state;
    FrmMain main(state);
    main.applyWorkArea({15240, 6000}); // as wide as the window: the full layout
    EXPECT_FALSE(main.isCompact());
    EXPECT_EQ(twips(main.frmButton(9)), QRectF(11400, 5760, 2775, 1575));
    EXPECT_EQ(main.frmButton(0)->geometry(), QRect(176, 96, 185, 105));
    EXPECT_EQ(main.centralWidget()->size(), QSize(1016, 714));

    main.applyWorkArea({15239, 8568}); // R = 8568 / 10710 = 0.8
    ASSERT_TRUE(main.isCompact());
    EXPECT_EQ(main.centralWidget()->size(), QSize(1016, 571));
    // Button One: column 2; Button Six: column 4; Button Seven: column 1.
    EXPECT_EQ(twips(main.frmButton(0)),
              QRectF(2640 * 0.8 - 800, (1440 - 1200) * 0.8, 2775 * 0.9, 1575 * 0.9));
    EXPECT_DOUBLE_EQ(twips(main.frmButton(5)).left(), 11400 * 0.8 - 1600);
    const QRectF seven = twips(main.cmdReConfig(6));
    EXPECT_EQ(seven, QRectF(960 * 0.8 - 400, (5760 + 1560 - 1200) * 0.8, 2775 * 0.9, 375 * 0.9));
    EXPECT_DOUBLE_EQ(twips(main.Combo2(3)).width(), 2535 * 0.9);
    EXPECT_DOUBLE_EQ(twips(main.Label3(3)).width(), 2535);
    EXPECT_EQ(twips(child(main, "Image1")), QRectF(0, seven.top() + 700, 3600 * 0.8, 1800 * 0.8));
    for (const char* name :
         {"Picture1", "Text1_0", "Text1_3", "Line2", "Line9", "Command1", "Command2"})
        EXPECT_TRUE(child(main, name)->isHidden()) << name;
    for (const char* name : {"Line1", "Line4", "Label1", "Image1"})
        EXPECT_FALSE(child(main, name)->isHidden()) << name;

    main.applyWorkArea({12000, 12852}); // R = 1.2: sizes still shrink by exactly nine tenths
    EXPECT_EQ(twips(main.frmButton(2)),
              QRectF(960 * 1.2 - 400, (3600 - 1200) * 1.2, 2775 * 0.9, 1575 * 0.9));

    main.applyWorkArea({20000, 15000}); // a large screen: the design layout returns
    EXPECT_FALSE(main.isCompact());
    EXPECT_EQ(twips(main.frmButton(2)), QRectF(960, 3600, 2775, 1575));
    EXPECT_FALSE(main.Text1(0)->isHidden());
}
