// The speed bar moved by the mouse to another edge of its window and resized across its inner
// edge; its sections, images, frame and automatic button layout.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>

#include "widget_test_support.h"
#include "widgets/component_graphics.h"
#include "widgets/speed_bar.h"

namespace kestrave {
namespace {

TEST(SpeedBarGeometry, TheDiagonalsCutTheClientAreaIntoTheFourEdges) {
    const QSize client(400, 200);
    struct Case {
        QPoint point;
        TBarAlign edge;
    };
    for (const Case& c : {Case{{200, 10}, alTop}, Case{{200, 190}, alBottom}, Case{{10, 100}, alLeft},
                          Case{{390, 100}, alRight}, Case{{50, 20}, alTop}, Case{{20, 20}, alLeft},
                          Case{{30, 14}, alTop}, Case{{30, 16}, alLeft}, Case{{380, 195}, alBottom},
                          Case{{380, 180}, alRight}, Case{{100, 49}, alTop}, Case{{99, 51}, alLeft},
                          // On a diagonal the top or bottom edge wins, on either diagonal.
                          Case{{100, 50}, alTop}, Case{{300, 50}, alTop}, Case{{300, 150}, alBottom},
                          Case{{100, 150}, alBottom}, Case{{200, 100}, alTop}})
        EXPECT_EQ(edgeOfPoint(client, c.point), c.edge) << c.point.x() << "," << c.point.y();

    const QRect area(0, 0, 400, 200);
    EXPECT_EQ(alongEdge(area, alTop, 30), QRect(0, 0, 400, 30));
    EXPECT_EQ(alongEdge(area, alTop, 30, 25), QRect(0, 25, 400, 30));
    EXPECT_EQ(alongEdge(area, alBottom, 30), QRect(0, 170, 400, 30));
    EXPECT_EQ(alongEdge(area, alLeft, 30, 10), QRect(10, 0, 30, 200));
    EXPECT_EQ(alongEdge(area, alRight, 30), QRect(370, 0, 30, 200));

    // Four pixels along the inner edge, on the bar.
    EXPECT_TRUE(inResizeZone({400, 30}, alTop, {50, 26}));
    EXPECT_FALSE(inResizeZone({400, 30}, alTop, {50, 25}));
    EXPECT_FALSE(inResizeZone({400, 30}, alTop, {50, 30}));
    EXPECT_TRUE(inResizeZone({400, 30}, alBottom, {50, 3}));
    EXPECT_FALSE(inResizeZone({400, 30}, alBottom, {50, 4}));
    EXPECT_TRUE(inResizeZone({30, 200}, alLeft, {26, 50}));
    EXPECT_TRUE(inResizeZone({30, 200}, alRight, {3, 50}));
    EXPECT_FALSE(inResizeZone({30, 200}, alRight, {26, 50}));

    EXPECT_EQ(minButtonOffset(0, 1, bvNone, bvNone, false), 2);
    EXPECT_EQ(minButtonOffset(3, 2, bvRaised, bvNone, false), 7);
    EXPECT_EQ(minButtonOffset(3, 2, bvRaised, bvLowered, true), 7);
    EXPECT_EQ(minButtonOffset(0, 2, bvNone, bvLowered, true), 2);
}

// A window of 400 x 300 with a bar along its top that no layout places.
struct MovableBar : test::WidgetTest {
    QWidget window;
    TSpeedBar* bar = new TSpeedBar(&window);

    MovableBar() {
        window.resize(400, 300);
        bar->resize(400, 30);
        const int section = bar->AddSection("Main");
        for (const char* name : {"One", "Two"}) bar->AddItem(section, name, name);
        bar->setOptions(TSpeedBar::sbAllowDrag | TSpeedBar::sbAllowResize);
        window.show();
        TSpeedBar::realignBars(&window);
    }
    ~MovableBar() override { QApplication::restoreOverrideCursor(); }

    void send(QEvent::Type type, QPoint inWindow, Qt::MouseButtons buttons = Qt::LeftButton) {
        const QPoint local = bar->mapFrom(&window, inWindow);
        QMouseEvent event(type, local, bar->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    }
    QRect onScreen(const QRect& inWindow) const { return inWindow.translated(window.mapToGlobal(QPoint())); }
};

TEST_F(MovableBar, ABarDraggedToEachEdgeLiesAlongItAndTellsItsOwner) {
    QSignalSpy moved(bar, &TSpeedBar::OnPosChanged);
    struct Step {
        QPoint target;
        TBarAlign edge;
        QRect place;
    };
    QPoint from(150, 15);
    for (const Step& step :
         {Step{{10, 150}, alLeft, QRect(0, 0, 30, 300)}, Step{{200, 290}, alBottom, QRect(0, 270, 400, 30)},
          Step{{395, 150}, alRight, QRect(370, 0, 30, 300)}, Step{{200, 5}, alTop, QRect(0, 0, 400, 30)}}) {
        const TBarAlign before = bar->Align();
        send(QEvent::MouseButtonPress, from);
        ASSERT_TRUE(QApplication::overrideCursor());
        EXPECT_EQ(QApplication::overrideCursor()->pixmap().cacheKey(),
                  componentCursor(crRxDrag).pixmap().cacheKey());
        EXPECT_EQ(shownInvertFrames(), QList<QRect>{onScreen(bar->geometry())})
            << "the bar's own place first";
        send(QEvent::MouseMove, step.target);
        EXPECT_EQ(shownInvertFrames(), QList<QRect>{onScreen(step.place)});
        EXPECT_EQ(bar->Align(), before) << "nothing moves before the release";
        send(QEvent::MouseButtonRelease, step.target, Qt::NoButton);
        EXPECT_TRUE(shownInvertFrames().isEmpty());
        EXPECT_FALSE(QApplication::overrideCursor());
        EXPECT_EQ(bar->Align(), step.edge);
        EXPECT_EQ(bar->geometry(), step.place);
        from = step.place.center();
    }
    EXPECT_EQ(moved.count(), 4);
}

TEST_F(MovableBar, TheOwnerMayRefuseAnEdgeAndALockedOrFixedBarStaysPut) {
    QSignalSpy moved(bar, &TSpeedBar::OnPosChanged);
    std::vector<TBarAlign> asked;
    QObject::connect(bar, &TSpeedBar::OnApplyAlign, [&](QObject*, TBarAlign edge, bool& apply) {
        asked.push_back(edge);
        apply = edge != alLeft;
    });
    send(QEvent::MouseButtonPress, {150, 15});
    send(QEvent::MouseMove, {200, 290});
    send(QEvent::MouseMove, {10, 150});
    EXPECT_EQ(shownInvertFrames(), QList<QRect>{onScreen(QRect(0, 270, 400, 30))}) << "the frame stays";
    send(QEvent::MouseButtonRelease, {10, 150}, Qt::NoButton);
    EXPECT_EQ(asked, (std::vector<TBarAlign>{alBottom, alLeft}));
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(moved.count(), 1);

    // Back to the same edge: the move still ends with the owner told.
    send(QEvent::MouseButtonPress, {150, 285});
    send(QEvent::MouseButtonRelease, {150, 285}, Qt::NoButton);
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(moved.count(), 2);

    bar->Locked = true;
    send(QEvent::MouseButtonPress, {150, 285});
    EXPECT_TRUE(shownInvertFrames().isEmpty());
    send(QEvent::MouseMove, {200, 5});
    send(QEvent::MouseButtonRelease, {200, 5}, Qt::NoButton);
    EXPECT_EQ(bar->Align(), alBottom);
    bar->Locked = false;

    bar->setOptions(0);
    send(QEvent::MouseButtonPress, {150, 285});
    EXPECT_TRUE(shownInvertFrames().isEmpty()) << "without sbAllowDrag the bar does not move";
    send(QEvent::MouseButtonRelease, {150, 285}, Qt::NoButton);
}

TEST_F(MovableBar, TheInnerEdgeResizesTheBarWithTheSizeCursor) {
    QSignalSpy resized(bar, &TSpeedBar::OnResize);
    send(QEvent::MouseMove, {150, 28}, Qt::NoButton);
    EXPECT_EQ(bar->cursor().shape(), Qt::SizeVerCursor);
    send(QEvent::MouseMove, {150, 15}, Qt::NoButton);
    EXPECT_EQ(bar->cursor().shape(), Qt::ArrowCursor);

    send(QEvent::MouseButtonPress, {150, 28});
    EXPECT_TRUE(shownInvertFrames().isEmpty()) << "a resize is no move";
    send(QEvent::MouseMove, {150, 60});
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 400, 60));
    send(QEvent::MouseMove, {150, 290});
    EXPECT_EQ(bar->height(), 150) << "never more than half the window";
    send(QEvent::MouseMove, {150, 1});
    EXPECT_EQ(bar->height(), 8) << "never less than the buttons' least offsets";
    send(QEvent::MouseMove, {150, 45});
    send(QEvent::MouseButtonRelease, {150, 45}, Qt::NoButton);
    EXPECT_EQ(bar->height(), 45);
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_GE(resized.count(), 4);

    // Along the right edge the zone is the left one and the cursor the east-west one.
    bar->setAlign(alRight);
    EXPECT_EQ(bar->geometry(), QRect(355, 0, 45, 300)) << "the thickness goes with the bar";
    send(QEvent::MouseMove, {357, 100}, Qt::NoButton);
    EXPECT_EQ(bar->cursor().shape(), Qt::SizeHorCursor);
    send(QEvent::MouseButtonPress, {357, 100});
    send(QEvent::MouseMove, {340, 100});
    send(QEvent::MouseButtonRelease, {340, 100}, Qt::NoButton);
    EXPECT_EQ(bar->geometry(), QRect(340, 0, 60, 300));
}

TEST_F(MovableBar, BarsAlongOneEdgeStackAndAnAutomaticBarLaysItsButtonsAlongIt) {
    auto* second = new TSpeedBar(&window);
    second->resize(400, 25);
    second->show();
    TSpeedBar::realignBars(&window);
    EXPECT_EQ(second->geometry(), QRect(0, 30, 400, 25));
    // The frame of a move to the top starts below the bar already there, and the bar goes there.
    bar->setAlign(alBottom);
    EXPECT_EQ(second->geometry(), QRect(0, 0, 400, 25));
    send(QEvent::MouseButtonPress, {150, 285});
    send(QEvent::MouseMove, {200, 3});
    EXPECT_EQ(shownInvertFrames(), QList<QRect>{onScreen(QRect(0, 25, 400, 30))});
    send(QEvent::MouseButtonRelease, {200, 3}, Qt::NoButton);
    EXPECT_EQ(bar->geometry(), QRect(0, 25, 400, 30));
    EXPECT_EQ(second->geometry(), QRect(0, 0, 400, 25));

    ASSERT_EQ(bar->Position(), bpAuto);
    bar->setAlign(alLeft);
    EXPECT_EQ(bar->items()[0]->button()->geometry(), QRect(3, 10, 24, 23));
    EXPECT_EQ(bar->items()[1]->button()->geometry(), QRect(3, 33, 24, 23)) << "a column";
    bar->setPosition(bpCustom);
    bar->items()[1]->setLeft(0);
    EXPECT_EQ(bar->items()[1]->button()->x(), 3) << "never left of the horizontal offset";
    bar->setAlign(alTop);
    EXPECT_EQ(bar->items()[1]->button()->geometry(), QRect(0, 33, 24, 23)) << "custom places stay";
}

TEST(SpeedBarParts, SectionsImagesFrameAndEvents) {
    test::app();
    TSpeedBar bar;
    bar.resize(300, 30);
    bar.AddSection("File");
    bar.AddSection("Edit");
    bar.AddSection("View");
    TSpeedItem* item = bar.AddItem(2, "Zoom", "Zoom");
    EXPECT_EQ(item->Section(), 2);
    bar.Sections(2)->setIndex(0);
    EXPECT_EQ(bar.sectionCaption(0), "View");
    EXPECT_EQ(bar.sectionCaption(1), "File");
    EXPECT_EQ(item->Section(), 0) << "the item goes with its section";
    EXPECT_EQ(bar.Sections(1)->Index(), 1);

    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue(8, 8, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    item->setImageIndex(1);
    EXPECT_TRUE(item->button()->Glyph().isNull()) << "no list yet";
    bar.setImages({red, blue});
    EXPECT_EQ(item->button()->Glyph(), blue);
    bar.setImages({blue, red});
    EXPECT_EQ(item->button()->Glyph(), red) << "a new list dresses the buttons again";

    EXPECT_EQ(bar.innerRect(), QRect(0, 0, 300, 30));
    bar.setBevelOuter(bvRaised);
    bar.setBorderWidth(2);
    bar.setBevelInner(bvLowered);
    bar.setBevelWidth(2);
    EXPECT_EQ(bar.innerRect(), QRect(6, 6, 288, 18));
    EXPECT_EQ(bar.minButtonOffset(), 8);
    bar.BtnOffsetVert = 3;
    item->setTop(0);
    EXPECT_EQ(item->button()->y(), 8) << "no button within the frame";

    QSignalSpy customize(&bar, &TSpeedBar::OnCustomize);
    bar.Locked = true;
    bar.Customize();
    EXPECT_EQ(customize.count(), 0);
    bar.Locked = false;
    bar.Customize();
    EXPECT_EQ(customize.count(), 1);
    EXPECT_TRUE(bar.customizing());

    QSignalSpy visible(&bar, &TSpeedBar::OnVisibleChanged);
    bar.show();
    bar.hide();
    EXPECT_EQ(visible.count(), 2);
}

}  // namespace
}  // namespace kestrave
