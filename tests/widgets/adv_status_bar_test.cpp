// The status bar's panels: fixed widths from the left, the last reaching the right edge, and the
// child controls it holds kept in their places as the bar's width changes.

#include <gtest/gtest.h>

#include <QProgressBar>

#include "support/qt_test_application.h"
#include "widgets/adv_status_bar.h"

namespace kestrave {
namespace {

TEST(AdvStatusBar, PanelsFollowEachOtherAndTheLastReachesTheEdge) {
    const std::vector<int> widths{250, 2, 200, 450, 150};
    const std::vector<QRect> narrow = statusPanelRects(widths, 1024, 20);
    ASSERT_EQ(narrow.size(), 5u);
    EXPECT_EQ(narrow[1], QRect(250, 0, 2, 20));
    EXPECT_EQ(narrow[3], QRect(452, 0, 450, 20));
    EXPECT_EQ(narrow[4], QRect(902, 0, 150, 20)) << "a bar too narrow cuts it off";
    EXPECT_EQ(statusPanelRects(widths, 1600, 20)[4], QRect(902, 0, 698, 20)) << "the last reaches the edge";
}

TEST(AdvStatusBar, HeldControlsStayInTheirPanelAndAtTheRightEnd) {
    test::app();
    TAdvStatusBar bar;
    bar.setPanelWidths({250, 2, 200, 450, 150});
    auto* progress = new QProgressBar;
    bar.holdInPanel(progress, 4);
    auto* grip = new QWidget;
    grip->setFixedSize(14, 14);
    bar.holdAtRight(grip);
    EXPECT_EQ(progress->parentWidget(), &bar);
    EXPECT_EQ(bar.panelCount(), 5);
    EXPECT_EQ(bar.panel(5), nullptr);

    bar.resize(1600, 22);
    bar.show();
    EXPECT_EQ(progress->geometry().left(), 904);
    EXPECT_EQ(progress->width(), 146) << "the panel's own width, not the rest of the bar";
    EXPECT_EQ(grip->geometry().right(), bar.width() - 1);
    bar.resize(1000, 22);
    EXPECT_LE(progress->geometry().right(), grip->geometry().left() - 1) << "nothing runs under the grip";
    EXPECT_EQ(bar.panel(3)->geometry().left(), 454);
}

}  // namespace
}  // namespace kestrave
