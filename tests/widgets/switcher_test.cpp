// The rotary switch: its dial geometry worked out by hand, and a drag on the offscreen platform.

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "widget_test_support.h"
#include "widgets/switcher.h"

namespace kestrave {
namespace {

TEST(SwitchGeometry, PositionsSpanTheScaleWithTheGapAtTheBottom) {
    const DialScale scale = dialScale(36);
    EXPECT_EQ(scale.step, 7);
    EXPECT_EQ(scale.gap, 108);
    EXPECT_EQ(scale.start, 324);
    EXPECT_EQ(scale.end, 216);
    struct Span {
        int position, a2, a1;
    };
    for (const Span& s : {Span{0, 212, 219}, Span{18, 86, 93}, Span{36, -40, -33}}) {
        const DialSpan span = pointerSpan(scale, s.position);
        EXPECT_EQ(span.a2, s.a2) << s.position;
        EXPECT_EQ(span.a1, s.a1) << s.position;
    }
    // 270 / 7 = 38 rest 4: the gap 94 is even at once; Max 0 counts as one step of 270.
    EXPECT_EQ(dialScale(7).step, 38);
    EXPECT_EQ(dialScale(7).gap, 94);
    EXPECT_EQ(dialScale(0).step, 270);
    // 270 / 8 = 33 rest 6: gap 96. 270 / 13 = 20 rest 10: gap 100.
    EXPECT_EQ(dialScale(8).gap, 96);
    EXPECT_EQ(dialScale(13).gap, 100);
    // 270 / 17 = 15 rest 15: gap 105 is odd, so the step gives one degree to each of the 17
    // positions: step 14, gap 122, from 331 to 209 degrees.
    const DialScale odd = dialScale(17);
    EXPECT_EQ(odd.step, 14);
    EXPECT_EQ(odd.gap, 122);
    EXPECT_EQ(odd.start, 331);
    EXPECT_EQ(odd.end, 209);
}

TEST(SwitchGeometry, AnglesOfPointsAndThePositionsTheyTurnTo) {
    struct Case {
        int x, y, angle;
    };
    // Around (50, 50): right, up, left, down and the lower right quadrant below zero.
    for (const Case& c : {Case{90, 50, 0}, Case{50, 10, 90}, Case{10, 50, 180}, Case{50, 90, 270},
                          Case{90, 90, -45}, Case{10, 10, 135}}) {
        EXPECT_EQ(pointAngle(50, 50, c.x, c.y), c.angle) << c.x << "," << c.y;
    }
    EXPECT_EQ(pointAngle(50, 50, 50, 50), std::nullopt);
    const DialScale scale = dialScale(36);
    EXPECT_EQ(positionAtAngle(scale, 36, 90), 18);
    EXPECT_EQ(positionAtAngle(scale, 36, 216), 0);
    EXPECT_EQ(positionAtAngle(scale, 36, 260), std::nullopt) << "the gap";
    EXPECT_EQ(dialPoint(50, 50, 90, 10), (DialPoint{50, 10}));
    EXPECT_EQ(dialPoint(50, 50, 450, 10), (DialPoint{50, 10}));
    EXPECT_EQ(dialPoint(50, 50, -10, 10), std::nullopt);
    // The ring of a 115-pixel switch lies 10..30 pixels from its centre; position 0 at 212..219°.
    EXPECT_TRUE(dragStarts(57, 57, 20, 0, scale, 57 - 16, 57 + 12));
    EXPECT_FALSE(dragStarts(57, 57, 20, 0, scale, 57 - 32, 57 + 24)) << "outside the ring";
    EXPECT_FALSE(dragStarts(57, 57, 20, 0, scale, 57 + 16, 57 + 12)) << "off the pointer";
    // The inner edge of the ring counts: 10 pixels out at 216 degrees, not 8.6 at 215.
    EXPECT_TRUE(dragStarts(57, 57, 20, 0, scale, 57 - 8, 57 + 6));
    EXPECT_FALSE(dragStarts(57, 57, 20, 0, scale, 57 - 7, 57 + 5));
}

struct SwitcherWidget : test::WidgetTest {
    SwitcherWidget() {
        dial.setFixedSize(115, 115);
        dial.setMax(36);
        dial.SoundType = TASSwitcher::wssNone;
        dial.show();
    }
    void move(QPoint to) {
        QMouseEvent event(QEvent::MouseMove, QPointF(to), dial.mapToGlobal(QPointF(to)), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dial, &event);
    }
    TASSwitcher dial;
};

TEST_F(SwitcherWidget, ARingDragTurnsThePointer) {
    QSignalSpy changes(&dial, &TASSwitcher::OnChange);
    const QPoint centre = dial.centre();
    QTest::mousePress(&dial, Qt::LeftButton, {}, centre + QPoint(-16, 12));
    ASSERT_TRUE(dial.dragging());
    move(centre + QPoint(0, -20));  // straight up: position 18
    EXPECT_EQ(dial.Position(), 18);
    move(centre + QPoint(0, 25));  // the gap: no position
    EXPECT_EQ(dial.Position(), 18);
    QTest::mouseRelease(&dial, Qt::LeftButton, {}, centre);
    EXPECT_EQ(changes.count(), 1);

    QTest::mousePress(&dial, Qt::LeftButton, {}, centre + QPoint(16, 12));
    EXPECT_FALSE(dial.dragging()) << "pressed off the pointer";
    QTest::keyClick(&dial, Qt::Key_End);
    EXPECT_EQ(dial.Position(), 36);
    dial.setMax(300);
    EXPECT_EQ(dial.Max(), 36);
}

TEST_F(SwitcherWidget, TheDialStaysSquareAndFindsItsSound) {
    dial.setMinimumSize(0, 0);
    dial.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    dial.resize(120, 90);
    EXPECT_EQ(dial.size(), QSize(120, 120));
    EXPECT_EQ(dial.WaveOptions, TASSwitcher::woSync | TASSwitcher::woNoDefault | TASSwitcher::woNoStop);
    dial.SoundChange = "click.wav";
    dial.SoundType = TASSwitcher::wssExe;
    dial.ResourceType = "WAVE";
    EXPECT_EQ(dial.soundSource(), ":/WAVE/click.wav");
    dial.SoundType = TASSwitcher::wssWav;
    EXPECT_EQ(dial.soundSource(), "click.wav");
    // A missing sound gives the default one only without woNoDefault.
    int defaults = 0;
    dial.DefaultSound = [&defaults] { ++defaults; };
    dial.setPosition(3);
    dial.WaveOptions = TASSwitcher::woSync;
    dial.setPosition(4);
    EXPECT_EQ(defaults, 1);
}

}  // namespace
}  // namespace kestrave
