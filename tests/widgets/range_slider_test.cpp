// The range slider: its thumb outlines, ruler, ticks and two-thumb moves worked out by hand, and
// the widget driven with the mouse on the offscreen platform.

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "widget_test_support.h"
#include "widgets/range_slider.h"

namespace kestrave {
namespace {

using Points = std::array<OutlinePoint, 8>;

TEST(RangeSliderModel, ThumbOutlinesAreMirroredTurnedMovedAndScaled) {
    struct Case {
        const char* what;
        ThumbOutline thumb;
        ThumbOutline expected;
    };
    const Case cases[] = {
        {"horizontal, bottom-right, min thumb",
         minThumb(RangeThumbStyle::rsStandard, RangeOrientation::rsHorizontal, RangeTickStyle::rsBottomRight),
         {{9, 9}, Points{{{0, 0}, {9, 0}, {9, 21}, {0, 12}}}}},
        {"horizontal, top-left, min thumb: mirrored and turned twice",
         minThumb(RangeThumbStyle::rsStandard, RangeOrientation::rsHorizontal, RangeTickStyle::rsTopLeft),
         {{9, 12}, Points{{{0, 21}, {0, 21}, {0, 21}, {0, 21}, {0, 9}, {9, 0}, {9, 21}, {0, 21}}}}},
        {"horizontal, top-left, max thumb: turned twice",
         maxThumb(RangeThumbStyle::rsStandard, RangeOrientation::rsHorizontal, RangeTickStyle::rsTopLeft),
         {{0, 12}, Points{{{9, 21}, {0, 21}, {0, 0}, {9, 9}, {9, 21}, {9, 21}, {9, 21}, {9, 21}}}}},
        {"vertical, top-left, min thumb: one turn",
         minThumb(RangeThumbStyle::rsCorner, RangeOrientation::rsVertical, RangeTickStyle::rsTopLeft),
         {{9, 18}, Points{{{18, 0}, {18, 18}, {0, 18}, {18, 0}, {18, 0}, {18, 0}, {18, 0}, {18, 0}}}}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.thumb, c.expected) << c.what;
}

TEST(RangeSliderModel, RulerTicksAndCarriedPairs) {
    const ThumbOutline thumb =
        minThumb(RangeThumbStyle::rsStandard, RangeOrientation::rsHorizontal, RangeTickStyle::rsTopLeft);
    const RulerGeometry ruler = rulerGeometry(400, thumb, RangeOrientation::rsHorizontal, 0, 1023);
    EXPECT_EQ(ruler.length, 374);
    EXPECT_EQ(ruler.along, 13);
    EXPECT_EQ(ruler.across, 9);
    EXPECT_EQ(ruler.pixelOf(1023), 374);
    EXPECT_EQ(ruler.valueAt(187), 512);
    const RulerGeometry cramped = rulerGeometry(20, thumb, RangeOrientation::rsHorizontal, 0, 1023);
    EXPECT_EQ(cramped.length, 1) << "a control shorter than its thumbs keeps a one-pixel ruler";
    EXPECT_GT(cramped.scale, 0.0);

    struct Ticks {
        int frequency, length, min, max, step, longInterval;
    };
    // Ticks 5 pixels apart are far enough; the long-tick interval steps up at steps 10 and 100.
    for (const Ticks& t :
         {Ticks{8, 374, 0, 1023, 8, 10}, Ticks{0, 374, 0, 1023, 20, 100}, Ticks{0, 1000, 0, 10, 1, 10},
          Ticks{0, 30, 0, 100000, 20000, 1000}, Ticks{0, 100, 0, 100, 5, 10}, Ticks{0, 250, 0, 100, 2, 10},
          Ticks{0, 249, 0, 100, 5, 10}, Ticks{9, 100, 0, 100, 9, 10}, Ticks{10, 100, 0, 100, 10, 100},
          Ticks{99, 100, 0, 100, 99, 100}, Ticks{100, 100, 0, 1000, 100, 1000}}) {
        const TickPlan plan = tickPlan(t.frequency, t.length, t.min, t.max);
        EXPECT_EQ(plan.step, t.step) << t.frequency << " " << t.length;
        EXPECT_EQ(plan.longInterval, t.longInterval) << t.frequency << " " << t.length;
    }

    const RangePair now{10, 50};
    EXPECT_EQ(carriedPair(true, 30, now, 0, 100), (RangePair{30, 70}));
    EXPECT_EQ(carriedPair(true, 70, now, 0, 100), std::nullopt);
    EXPECT_EQ(carriedPair(false, 40, now, 0, 100), (RangePair{0, 40}));
    EXPECT_EQ(carriedPair(false, 5, now, 0, 100), std::nullopt);
}

struct RangeSliderWidget : test::WidgetTest {
    RangeSliderWidget() {
        slider.setTickStyle(RangeTickStyle::rsTopLeft);
        slider.setFixedSize(400, 30);
        slider.setMax(1023);
        slider.setMaxPosition(1023);
        slider.setFrequency(8);
        slider.show();
    }
    QPoint centreOf(const QRect& thumb) const { return thumb.center(); }
    TmkRangeSlider slider;
};

TEST_F(RangeSliderWidget, AnIdlePressLeavesLaterChangesFiring) {
    QSignalSpy changes(&slider, &TmkRangeSlider::OnChange);
    QTest::mousePress(&slider, Qt::LeftButton, {}, centreOf(slider.minThumbRect()));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, centreOf(slider.minThumbRect()));
    EXPECT_EQ(changes.count(), 0) << "nothing moved";
    slider.setMaxPosition(500);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(slider.MaxPosition(), 500);
}

TEST_F(RangeSliderWidget, ADragFiresOnChangeOnceAtTheEndAndBoundsAreChecked) {
    QSignalSpy changes(&slider, &TmkRangeSlider::OnChange);
    QSignalSpy before(&slider, &TmkRangeSlider::OnBeforeChange);
    const QPoint grab = centreOf(slider.maxThumbRect());
    QTest::mousePress(&slider, Qt::LeftButton, {}, grab);
    for (int step = 1; step <= 4; ++step) QTest::mouseMove(&slider, grab - QPoint(25 * step, 0));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(before.count(), 4);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, grab - QPoint(100, 0));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(slider.MaxPosition(), slider.ruler().valueAt(374 - 100));

    // Shift carries both thumbs: the min thumb is set first, within the old max position, and
    // then the max thumb keeps the old distance from the value dragged to, so the pair widens.
    slider.setMaxPosition(100);
    const QPoint minGrab = centreOf(slider.minThumbRect());
    const int dragged = slider.ruler().valueAt(slider.ruler().pixelOf(500));
    QTest::mousePress(&slider, Qt::LeftButton, {}, minGrab);
    const QPointF to = minGrab + QPoint(slider.ruler().pixelOf(500), 0);
    QMouseEvent shiftMove(QEvent::MouseMove, to, slider.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                          Qt::ShiftModifier);
    QApplication::sendEvent(&slider, &shiftMove);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, to.toPoint());
    EXPECT_EQ(slider.MinPosition(), 100);
    EXPECT_EQ(slider.MaxPosition(), dragged + 100);

    EXPECT_THROW(slider.setMin(1023), EmkRangeSlider);
    EXPECT_THROW(slider.setMax(0), EmkRangeSlider);
    EXPECT_EQ(slider.Max(), 1023);
}

TEST_F(RangeSliderWidget, MinThumbStandsOnePixelBeforeItsValueAndVerticalKeysRunDownwards) {
    slider.setMinPosition(300);
    slider.setMaxPosition(300);
    const ThumbOutline lower =
        minThumb(RangeThumbStyle::rsStandard, RangeOrientation::rsHorizontal, RangeTickStyle::rsTopLeft);
    const ThumbOutline upper =
        maxThumb(RangeThumbStyle::rsStandard, RangeOrientation::rsHorizontal, RangeTickStyle::rsTopLeft);
    const int pixel = slider.ruler().along + slider.ruler().pixelOf(300);
    EXPECT_EQ(slider.minThumbRect().left() + lower.hot.x, pixel - 1);
    EXPECT_EQ(slider.maxThumbRect().left() + upper.hot.x, pixel);
    // The thumb's picture keeps only its edges; its inside is the transparent red.
    const QImage thumb = thumbBitmap(lower, slider.palette());
    EXPECT_EQ(thumb.pixel(thumb.width() / 2, thumb.height() / 2), qRgb(255, 0, 0));
    // A short tick is a 2 x 2 dot centred on the ruler.
    const QImage drawn = slider.grab().toImage();
    const QRgb shadow = slider.palette().color(QPalette::Dark).rgb();
    const int dot = slider.ruler().along + slider.ruler().pixelOf(8), centre = slider.ruler().across + 5;
    EXPECT_EQ(drawn.pixel(dot - 1, centre - 1), shadow);
    EXPECT_NE(drawn.pixel(dot + 1, centre), shadow);

    slider.setMinPosition(10);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.MinPosition(), 11) << "up raises a horizontal slider";
    slider.setOrientation(RangeOrientation::rsVertical);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.MinPosition(), 10) << "up lowers a vertical one";
    QTest::keyClick(&slider, Qt::Key_Down);
    QTest::keyClick(&slider, Qt::Key_Down);
    EXPECT_EQ(slider.MinPosition(), 12);
    QTest::keyClick(&slider, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(slider.MaxPosition(), 299) << "right lowers a vertical slider's max thumb with Ctrl";
}

TEST(RangeSliderRuler, TheOwnersRulerLengthSizesTheControl) {
    test::app();
    TmkRangeSlider slider;
    slider.resize(400, 30);
    const int thumb =
        minThumb(RangeThumbStyle::rsStandard, RangeOrientation::rsHorizontal, RangeTickStyle::rsBottomRight)
            .width();
    int asked = 250;
    int askedTimes = 0;
    QObject::connect(&slider, &TmkRangeSlider::OnGetRullerLength, [&](QObject* sender, int& value) {
        EXPECT_EQ(sender, &slider);
        ++askedTimes;
        value = asked;
    });
    EXPECT_GE(askedTimes, 1) << "binding the event asks at once";
    EXPECT_EQ(slider.ruler().length, 250);
    EXPECT_EQ(slider.width(), 2 * thumb + 250 + 6);
    EXPECT_EQ(slider.ruler().along, thumb + 3);
    EXPECT_DOUBLE_EQ(slider.ruler().scale, 250.0 / 10);

    asked = 12;  // below the least ruler
    slider.setMax(20);
    EXPECT_EQ(slider.ruler().length, 30);
    EXPECT_EQ(slider.width(), 2 * thumb + 36);
    EXPECT_DOUBLE_EQ(slider.ruler().scale, 30.0 / 20);

    // A vertical slider takes the length as its height.
    asked = 100;
    slider.setOrientation(RangeOrientation::rsVertical);
    const int tall =
        minThumb(RangeThumbStyle::rsStandard, RangeOrientation::rsVertical, RangeTickStyle::rsBottomRight)
            .height();
    EXPECT_EQ(slider.height(), 2 * tall + 106);
    EXPECT_EQ(slider.ruler().length, 100);
}

}  // namespace
}  // namespace kestrave
