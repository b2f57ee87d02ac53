// The roll-up panel: roll steps, button places and drag limits as numbers, then the panel itself
// rolled, closed and dragged on the offscreen platform.

#include <QSignalSpy>
#include <QTest>

#include "widget_test_support.h"
#include "widgets/rollup.h"

namespace kestrave {
namespace {

TEST(RollupModel, RollsStepByStepToTheBarOrTheDropHeightAndAtOnceWithoutAnAmount) {
    struct Case {
        bool up;
        int from;
        int dropHeight;
        int amount;
        std::vector<int> heights;
    };
    const Case cases[] = {
        {true, 200, 200, 15, {185, 170, 155, 140, 125, 110, 95, 80, 65, 50, 35, 22}},
        {true, 200, 200, 0, {22}},
        {true, 30, 200, 15, {22}},
        {false, 22, 200, 15, {37, 52, 67, 82, 97, 112, 127, 142, 157, 172, 187, 200}},
        {false, 22, 200, 0, {200}},
        {false, 22, 10, 15, {10}},  // a drop height below the bar's is reached at once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.up << " " << c.from << " " << c.dropHeight << " " << c.amount);
        EXPECT_EQ(c.up ? rollUpHeights(c.from, c.amount) : rollDownHeights(c.from, c.dropHeight, c.amount),
                  c.heights);
    }
}

TEST(RollupModel, CaptionButtonsStandFromTheRightAndHiddenOnesOutOfSight) {
    struct Case {
        bool close, help, minimize;
        int closeLeft, helpLeft, minimizeLeft;
    };
    const Case cases[] = {
        {true, false, false, 181, 200, 200},
        {true, true, false, 181, 146, 200},
        {true, true, true, 181, 146, 127},
        {true, false, true, 181, 200, 162},   // one pixel left of the close button
        {false, false, true, 200, 200, 181},  // nothing to its right: at the bar's end
    };
    for (const Case& c : cases) {
        const CaptionButtonLefts lefts = captionButtonLefts(200, c.close, c.help, c.minimize);
        EXPECT_EQ(lefts.close, c.closeLeft);
        EXPECT_EQ(lefts.help, c.helpLeft);
        EXPECT_EQ(lefts.minimize, c.minimizeLeft);
        EXPECT_EQ(lefts.roll, 1);
    }
}

TEST(RollupModel, ADragStaysRightOfOneAndBetweenOneAndTheScreenHeightLess75) {
    struct Case {
        QPoint mouse;
        QPoint expected;
    };
    // The panel at (100, 100), pressed at (10, 5) of its bar, on a 768-pixel-high screen.
    const Case cases[] = {
        {{30, 25}, {120, 120}},
        {{-200, 5}, {1, 100}},
        {{10, -300}, {100, 1}},
        {{10, 900}, {100, 693}},
    };
    for (const Case& c : cases) EXPECT_EQ(dragTarget({100, 100}, {10, 5}, c.mouse, 768), c.expected);
}

struct RollupPanel : test::WidgetTest {
    RollupPanel() {
        parent.resize(800, 600);
        rollup = new TgbRollup(&parent);
        rollup->setGeometry(100, 100, 200, 200);
        parent.show();
        rollup->show();
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent event(type, at, rollup->CaptionBar->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(rollup->CaptionBar, &event);
    }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, to, Qt::NoButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    QWidget parent;
    TgbRollup* rollup;
};

TEST_F(RollupPanel, RollsUpToItsBarAndDownToItsDropHeightFiringItsEvents) {
    QSignalSpy up(rollup, &TgbRollup::OnRollUp);
    QSignalSpy down(rollup, &TgbRollup::OnRollDown);
    QTest::mouseClick(rollup->RollUpButton, Qt::LeftButton);
    EXPECT_EQ(rollup->height(), RolledUpHeight);
    EXPECT_EQ(rollup->State(), TRollupState::rsUp);
    EXPECT_TRUE(rollup->RollDownButton->isVisibleTo(rollup));
    EXPECT_FALSE(rollup->RollUpButton->isVisibleTo(rollup));
    EXPECT_FALSE(rollup->Client()->isVisibleTo(rollup));
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up.front().front().value<QObject*>(), rollup);

    rollup->setDropHeight(150);
    rollup->setRollAmount(0);  // one step, and the events still fire
    QTest::mouseClick(rollup->RollDownButton, Qt::LeftButton);
    EXPECT_EQ(rollup->height(), 150);
    EXPECT_EQ(rollup->State(), TRollupState::rsDown);
    EXPECT_TRUE(rollup->Client()->isVisibleTo(rollup));
    EXPECT_EQ(down.count(), 1);

    rollup->setState(TRollupState::rsDown);  // already down: nothing runs
    EXPECT_EQ(down.count(), 1);
    rollup->setState(TRollupState::rsUp);
    EXPECT_EQ(rollup->height(), RolledUpHeight);
    EXPECT_EQ(up.count(), 2);

    // Pending messages run between the steps; a roll request among them is dropped.
    rollup->setRollAmount(15);
    int ran = 0;
    QMetaObject::invokeMethod(
        rollup, [&] { ++ran, rollup->rollDown(); }, Qt::QueuedConnection);
    rollup->rollDown();
    EXPECT_EQ(ran + down.count(), 3);
}

TEST_F(RollupPanel, CloseHidesAPanelButLeavesAFormsPanelToItsHandler) {
    for (const bool isForm : {false, true}) {
        SCOPED_TRACE(isForm);
        rollup->show();
        rollup->setIsForm(isForm);
        EXPECT_EQ(rollup->Moveable(), !isForm);
        QSignalSpy closed(rollup, &TgbRollup::OnRollClose);
        QTest::mouseClick(rollup->CloseButton, Qt::LeftButton);
        EXPECT_EQ(closed.count(), 1);
        EXPECT_EQ(rollup->isVisible(), isForm);
    }
}

TEST_F(RollupPanel, AMoveablePanelDragsByItsBarAndRaisesNoCaptionEvents) {
    QSignalSpy down(rollup, &TgbRollup::OnCaptionMouseDown);
    QSignalSpy moved(rollup, &TgbRollup::OnCaptionMouseMove);
    drag({10, 5}, {40, 25});
    EXPECT_EQ(rollup->pos(), QPoint(130, 120));
    drag({10, 5}, {-500, -500});
    EXPECT_EQ(rollup->pos(), QPoint(1, 1)) << "stops at the parent's top-left edge";
    EXPECT_EQ(down.count() + moved.count(), 0);

    // The move that follows a double click does not drag.
    rollup->move(100, 100);
    QSignalSpy doubleClicked(rollup, &TgbRollup::OnCaptionDblClick);
    mouse(QEvent::MouseButtonPress, {10, 5});
    mouse(QEvent::MouseButtonDblClick, {10, 5});
    mouse(QEvent::MouseMove, {60, 45}, Qt::NoButton);
    EXPECT_EQ(rollup->pos(), QPoint(100, 100));
    ASSERT_EQ(doubleClicked.count(), 1);
    EXPECT_EQ(doubleClicked.front().front().value<QObject*>(), rollup->CaptionBar);
}

TEST_F(RollupPanel, AFixedPanelStaysAndRaisesItsCaptionEventsFromTheBar) {
    rollup->setMoveable(false);
    QSignalSpy down(rollup, &TgbRollup::OnCaptionMouseDown);
    QSignalSpy moved(rollup, &TgbRollup::OnCaptionMouseMove);
    QSignalSpy up(rollup, &TgbRollup::OnCaptionMouseUp);
    drag({10, 5}, {40, 25});
    EXPECT_EQ(rollup->pos(), QPoint(100, 100));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.front().at(0).value<QObject*>(), rollup->CaptionBar);
    EXPECT_EQ(down.front().at(3).toInt(), 10);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(up.count(), 1);
}

}  // namespace
}  // namespace kestrave
