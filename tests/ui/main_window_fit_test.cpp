#include "project/project_state.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/twips.h"
#include "ui/widgets/window_placement.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::ui::FrmMain;

namespace {

struct Screen {
    int width, height, percent;
};

class MainWindowFits : public ::testing::TestWithParam<Screen> {};

TEST_P(MainWindowFits, NoFrameOverlapsEveryArrowIsItsOwnListAndTheWindowFits) {
    const Screen s = GetParam();
    const QSize area(s.width * 100 / s.percent, s.height * 100 / s.percent);
    ProjectState state;
    state.setCommandList2Visible(true);
    state.setDeviceLabelVisible(0, true);
    state.setDeviceLabelVisible(1, true);
    FrmMain main(state);
    main.refreshFromState();
    main.applyWindowWorkArea(area, s.percent / 100.0);
    main.show();
    QApplication::processEvents();

    const QSize outer = main.size().grownBy(ui::frameMarginsOf(&main));
    EXPECT_LE(outer.width(), area.width());
    EXPECT_LE(outer.height(), area.height());

    QWidget* client = main.client();
    for (int i = 0; i < kButtonCount; ++i) {
        const QRect frame = main.frmButton(i)->geometry();
        for (QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w == main.frmButton(i) || !w->isVisibleTo(client))
                continue;
            const QRect overlap = frame.intersected(w->geometry());
            // As designed, a frame's own button may touch its lower edge.
            EXPECT_LE(overlap.height(), w == static_cast<QWidget*>(main.cmdReConfig(i)) ? 2 : 0)
                << main.frmButton(i)->title().toStdString() << " and "
                << w->objectName().toStdString();
        }
        for (QComboBox* list : {main.Combo1(i), main.Combo2(i)}) {
            QStyleOptionComboBox option;
            option.initFrom(list);
            option.editable = true;
            const QRect arrow = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                              QStyle::SC_ComboBoxArrow, list);
            const QPoint at = list->mapTo(client, arrow.center());
            EXPECT_EQ(client->childAt(at), list) << list->objectName().toStdString();
        }
    }
    if (s.width == 1920 && s.percent == 100) {
        EXPECT_EQ(main.layout(), FrmMain::Layout::Full);
        EXPECT_EQ(client->size(), QSize(1016, 714));
        EXPECT_EQ(ui::twipsGeometry(main.frmButton(9)), QRectF(11400, 5760, 2775, 1575));
    }
}

INSTANTIATE_TEST_SUITE_P(WorkAreas, MainWindowFits,
                         ::testing::Values(Screen{1920, 1080, 100}, Screen{1920, 1080, 200},
                                           Screen{1920, 1080, 150}, Screen{1440, 900, 125},
                                           Screen{1366, 768, 100}, Screen{1280, 720, 100},
                                           Screen{1024, 768, 100}, Screen{800, 600, 100}));

TEST(WindowPlacement, AWindowIsMovedAndShrunkIntoTheWorkArea) {
    const QRect area(0, 0, 1366, 728);
    EXPECT_EQ(ui::fitFrameInto({300, 500, 600, 400}, area, false), QRect(300, 328, 600, 400));
    EXPECT_EQ(ui::fitFrameInto({-50, 0, 2000, 900}, area, false), area);
    EXPECT_EQ(ui::fitFrameInto({900, 0, 600, 400}, area, true), QRect(766, 0, 600, 400));
}

} // namespace
