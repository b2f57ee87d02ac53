// The slider's geometry and value logic, then the widget on the offscreen platform.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <random>

#include "widget_test_support.h"
#include "widgets/slider.h"

namespace kestrave {
namespace {

// The built-in pictures: a 20 x 18 ruler and two 11 x 18 thumb looks.
SliderGeometry horizontal(QSize client = {150, 40}, int bevel = 0) {
    return layoutSlider({client, bevel, false, QSize(20, 18), QSize(22, 18), 2});
}

SliderGeometry vertical(QSize client = {40, 150}) {
    return layoutSlider({client, 0, true, QSize(18, 20), QSize(36, 11), 2});
}

TEST(SliderModel, LayoutLeavesTheIndentAndTheThumbWidth) {
    const SliderGeometry g = horizontal();
    EXPECT_EQ(g.rulerOrigin, QPoint(6, 6));
    EXPECT_EQ(g.rulerSize, QSize(138, 18));
    EXPECT_EQ(g.thumbSize, QSize(11, 18));
    EXPECT_EQ(g.rulerSpan, 138 - 11);
    EXPECT_EQ(g.pointsRect.top(), 6 + 18 + 1);
    EXPECT_EQ(g.pointsRect.bottom(), 39);
    const SliderGeometry bevelled = horizontal({150, 40}, 1);
    EXPECT_EQ(bevelled.rulerOrigin, QPoint(7, 7));
    EXPECT_EQ(bevelled.rulerSpan, 136 - 11);
    // A control too small for its thumb keeps a travel of one pixel: no division by zero.
    const SliderGeometry tiny = horizontal({10, 10});
    EXPECT_EQ(tiny.rulerSpan, 1);
    const SliderRange range;
    EXPECT_EQ(valueOfOffset(tiny, range, 100, true), 100);
    EXPECT_EQ(offsetOfValue(tiny, range, 50), 6);  // [0.5] = 0
}

TEST(SliderModel, OffsetsAndValuesMapBothWays) {
    const SliderRange range;  // 0..100
    for (const SliderGeometry& g : {horizontal(), vertical()}) {
        for (int v = range.MinValue; v <= range.MaxValue; ++v)
            EXPECT_EQ(valueOfOffset(g, range, offsetOfValue(g, range, v), true), v) << g.vertical;
    }
    const SliderGeometry h = horizontal();
    EXPECT_EQ(offsetOfValue(h, range, 0), 6);
    EXPECT_EQ(offsetOfValue(h, range, 100), 6 + 127);
    EXPECT_EQ(offsetOfValue(h, range, 50), 6 + 64);  // [63.5] = 64
    // Vertical sliders are mirrored: the minimum at the bottom.
    const SliderGeometry v = vertical();
    EXPECT_EQ(offsetOfValue(v, range, 100), 6);
    EXPECT_EQ(offsetOfValue(v, range, 0), 6 + v.rulerSpan);
    EXPECT_EQ(valueOfOffset(v, range, 6, true), 100);
}

TEST(SliderModel, WithoutSmoothDraggingValuesSnapToIncrementsFromMinValue) {
    const SliderRange layer{-50, 1000, 30};
    const SliderGeometry g = horizontal({400, 40});
    for (int offset = 0; offset < 400; ++offset) {
        const int value = valueOfOffset(g, layer, offset, false);
        EXPECT_GE(value, -50);
        EXPECT_LE(value, 1000);
        EXPECT_TRUE((value + 50) % 30 == 0 || value == 1000) << value;
    }
    EXPECT_EQ(valueOfOffset(g, layer, g.rulerOrigin.x() + g.rulerSpan, false), 1000);
}

TEST(SliderModel, JumpsGoToTheNextMultipleOfIncrement) {
    const SliderRange range{0, 100, 10};
    EXPECT_EQ(jumpValue(range, 7, SliderJump::Up), 20);   // [0.7] * 10 + 10
    EXPECT_EQ(jumpValue(range, 15, SliderJump::Up), 30);  // [1.5] = 2
    EXPECT_EQ(jumpValue(range, 25, SliderJump::Up), 30);  // [2.5] = 2
    EXPECT_EQ(jumpValue(range, 7, SliderJump::Down), 0);
    EXPECT_EQ(jumpValue(range, 95, SliderJump::Up), 100);
    EXPECT_EQ(jumpValue(range, 3, SliderJump::Down), 0);
    EXPECT_EQ(jumpValue(range, 42, SliderJump::Home), 0);
    EXPECT_EQ(jumpValue(range, 42, SliderJump::End), 100);
}

TEST(SliderModel, TickScaleIsTheFirstWithFourPixelSpacing) {
    // The layer sliders' range with Increment 1 on a 127-pixel travel: 1050 / 33 gives 32
    // intervals of 3 pixels, 1050 / 34 gives 31 of 4.
    const TickScale ticks = tickScale(1050, 1, 127);
    EXPECT_EQ(ticks.scale, 34);
    EXPECT_EQ(ticks.count, 32);
    // The bisection finds what trying every scale in turn finds.
    std::mt19937 random(11);
    for (int i = 0; i < 3000; ++i) {
        const long long width = std::uniform_int_distribution<long long>(1, 5000)(random);
        const int step = std::uniform_int_distribution<int>(1, 50)(random);
        const int span = std::uniform_int_distribution<int>(1, 600)(random);
        long long scale = 1;
        for (;; ++scale) {
            const long long count =
                std::llround(std::nearbyint(static_cast<double>(width) / (scale * step))) + 1;
            const long long interval = count > 1 ? span / (count - 1) : span;
            if (interval >= 4 || interval >= span) break;
        }
        ASSERT_EQ(tickScale(width, step, span).scale, scale) << width << " " << step << " " << span;
    }
    // A huge range with a small step answers at once.
    const TickScale wide = tickScale(4'000'000'000LL, 1, 100);
    EXPECT_LE(wide.count, 100 / 4 + 2);
}

TEST(SliderModel, TicksRunFromMinValueToMaxValueWithLongerEnds) {
    const SliderGeometry g = horizontal();
    const SliderRange range{0, 100, 10};
    const std::vector<QLine> lines = sliderTicks(g, range, 10, 3, 5);
    ASSERT_EQ(lines.size(), 11u);
    const int half = g.thumbSize.width() / 2;
    EXPECT_EQ(lines.front().x1(), offsetOfValue(g, range, 0) + half);
    EXPECT_EQ(lines.back().x1(), offsetOfValue(g, range, 100) + half);
    EXPECT_EQ(lines.front().y1(), g.pointsRect.top());
    EXPECT_EQ(lines.front().dy(), 4);  // 5 pixels long
    EXPECT_EQ(lines[1].dy(), 2);       // 3 pixels long
    // The last tick always sits at MaxValue, even off the scale's grid.
    const std::vector<QLine> layer = sliderTicks(g, SliderRange{-50, 1000, 1}, 1, 3, 5);
    EXPECT_EQ(layer.size(), 32u);
    EXPECT_EQ(layer.back().x1(), offsetOfValue(g, SliderRange{-50, 1000, 1}, 1000) + half);
}

TEST(SliderModel, RulerEndsStayAndTheMiddleRepeats) {
    const auto pieces = rulerPieces(10, 2, 20);
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ((std::vector<int>{pieces[0].source, pieces[0].target, pieces[0].length}),
              (std::vector<int>{0, 0, 2}));
    EXPECT_EQ((std::vector<int>{pieces[1].source, pieces[1].target, pieces[1].length}),
              (std::vector<int>{2, 2, 6}));
    EXPECT_EQ((std::vector<int>{pieces[2].source, pieces[2].target, pieces[2].length}),
              (std::vector<int>{2, 8, 6}));
    // The last copy is cut from the end of the middle part.
    EXPECT_EQ((std::vector<int>{pieces[3].source, pieces[3].target, pieces[3].length}),
              (std::vector<int>{4, 14, 4}));
    EXPECT_EQ((std::vector<int>{pieces[4].source, pieces[4].target, pieces[4].length}),
              (std::vector<int>{8, 18, 2}));
    const auto shortRuler = rulerPieces(10, 2, 3);
    int covered = 0;
    for (const RulerPiece& p : shortRuler) covered += p.length;
    EXPECT_EQ(covered, 3);
    EXPECT_TRUE(rulerPieces(10, 2, 0).empty());
}

struct SliderWidget : test::WidgetTest {
    SliderWidget() {
        slider.resize(150, 40);
        slider.show();
    }
    QPoint thumbCentre() const { return slider.thumbRect().center(); }
    // A point on the ruler at a given value's thumb position.
    QPoint rulerPointAt(int value) const {
        const SliderGeometry& g = slider.geometry();
        return {offsetOfValue(g, {slider.MinValue(), slider.MaxValue(), slider.Increment()}, value) +
                    g.thumbSize.width() / 2,
                g.rulerOrigin.y() + g.rulerSize.height() / 2};
    }

    TRxSlider slider;
    QSignalSpy changes{&slider, &TRxSlider::OnChange};
    QSignalSpy ends{&slider, &TRxSlider::OnChanged};
};

TEST_F(SliderWidget, WritingValueClampsAndFiresOnlyOnChange) {
    slider.setValue(37);
    EXPECT_EQ(slider.Value(), 37);  // no snapping to Increment
    slider.setValue(37);
    slider.setValue(500);
    EXPECT_EQ(slider.Value(), 100);
    slider.setValue(-5);
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(ends.count(), 0);
}

TEST_F(SliderWidget, RangeWritesKeepTheValueInsideAndRefuseEmptyRanges) {
    slider.setValue(80);
    slider.setMaxValue(-10);
    EXPECT_EQ(slider.MaxValue(), 100);
    slider.setMaxValue(50);
    EXPECT_EQ(slider.Value(), 50);
    EXPECT_EQ(changes.count(), 2);
    // A range narrower than the increment narrows the increment.
    slider.setMinValue(45);
    EXPECT_EQ(slider.Increment(), 5);
    // The layer sliders' range.
    slider.setMinValue(-50);
    slider.setMaxValue(1000);
    slider.setValue(10);
    EXPECT_EQ(slider.Value(), 10);
}

TEST_F(SliderWidget, IncrementOutsideTheRangeIsRefused) {
    try {
        slider.setIncrement(101);
        FAIL() << "no error";
    } catch (const SliderIncrementError& error) {
        EXPECT_STREQ(error.what(), "Value must be between 1 and 100");
    }
    EXPECT_THROW(slider.setIncrement(0), SliderIncrementError);
    // Set by name it is ignored: no exception may cross Qt's property machinery.
    slider.setProperty("Increment", 0);
    EXPECT_EQ(slider.Increment(), 10);
    slider.setProperty("Increment", 25);
    EXPECT_EQ(slider.Increment(), 25);
}

TEST_F(SliderWidget, DraggingTheThumbFiresEveryNewValueAndOneEnd) {
    const QPoint start = thumbCentre();
    QTest::mousePress(&slider, Qt::LeftButton, {}, start);
    for (int dx = 5; dx <= 60; dx += 5) QTest::mouseMove(&slider, start + QPoint(dx, 0));
    // Far beyond the end the thumb stays at the maximum.
    QTest::mouseMove(&slider, start + QPoint(400, 0));
    EXPECT_EQ(slider.Value(), 100);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, start + QPoint(400, 0));
    EXPECT_EQ(changes.count(), 13);
    EXPECT_EQ(ends.count(), 1);
}

TEST_F(SliderWidget, DraggingWithoutSmoothGivesMultiplesOfIncrement) {
    slider.setOptions(TRxSlider::soShowFocus);
    QList<int> seen;
    QObject::connect(&slider, &TRxSlider::OnChange, [&] { seen << slider.Value(); });
    const QPoint start = thumbCentre();
    QTest::mousePress(&slider, Qt::LeftButton, {}, start);
    for (int dx = 1; dx <= 127; ++dx) QTest::mouseMove(&slider, start + QPoint(dx, 0));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, start + QPoint(127, 0));
    EXPECT_EQ(seen, (QList<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
}

TEST_F(SliderWidget, HoldingOnTheRulerJumpsUntilTheThumbPassesThePointer) {
    test::ManualRepeatTimer& timer = test::installManualTimer(slider);
    // The pointer at value 35's thumb centre: the thumb passes it on its way to 40.
    const QPoint target = rulerPointAt(35);
    QTest::mousePress(&slider, Qt::LeftButton, {}, target);
    EXPECT_EQ(slider.Value(), 10);
    EXPECT_EQ(timer.interval(), TRxSlider::kJumpRepeatInterval);
    timer.fire();
    timer.fire();
    EXPECT_EQ(slider.Value(), 30);
    timer.fire();
    EXPECT_EQ(slider.Value(), 40);
    EXPECT_LT(target.x(), slider.thumbRect().left());
    timer.fire();
    timer.fire();
    EXPECT_EQ(slider.Value(), 40);
    EXPECT_EQ(timer.interval(), TRxSlider::kJumpRepeatInterval);
    EXPECT_EQ(ends.count(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, target);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(changes.count(), 4);
    EXPECT_FALSE(timer.isActive());

    // Left of the thumb the jumps go down.
    QTest::mouseClick(&slider, Qt::LeftButton, {}, rulerPointAt(0));
    EXPECT_EQ(slider.Value(), 30);
    EXPECT_EQ(ends.count(), 2);
}

TEST_F(SliderWidget, KeysJumpAndEndTheAction) {
    slider.setValue(50);
    changes.clear();
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.Value(), 60);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(ends.count(), 1);
    QTest::keyClick(&slider, Qt::Key_End);
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.Value(), 100);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(ends.count(), 3);  // fired even though nothing changed
    QTest::keyClick(&slider, Qt::Key_Home);
    EXPECT_EQ(slider.Value(), 0);
    // Modified keys and the other axis' arrows are not the slider's.
    QTest::keyClick(&slider, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_EQ(ends.count(), 4);

    slider.setOrientation(TRxSlider::soVertical);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.Value(), 10);
}

TEST_F(SliderWidget, KeyDownReceivesZeroForKeysTheSliderUsed) {
    QList<int> keys;
    QObject::connect(&slider, &TRxSlider::OnKeyDown,
                     [&](QObject*, int key, Qt::KeyboardModifiers) { keys << key; });
    slider.setValue(50);
    QTest::keyClick(&slider, Qt::Key_Right);
    QTest::keyClick(&slider, Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(&slider, Qt::Key_Up);
    // Holding Ctrl down is a key of its own.
    EXPECT_EQ(keys, (QList<int>{0, Qt::Key_Control, Qt::Key_Right, Qt::Key_Up}));
    EXPECT_EQ(slider.Value(), 60);
}

TEST_F(SliderWidget, ADoubleClickFiresOnceAndItsSecondPressDoesNotJump) {
    QSignalSpy doubleClicks{&slider, &TRxSlider::OnDblClick};
    const QPoint onRuler = rulerPointAt(90);
    // A user's double click: press and release, then the second press (the double-click event)
    // and its release.
    QTest::mouseClick(&slider, Qt::LeftButton, {}, onRuler);
    QTest::mouseDClick(&slider, Qt::LeftButton, {}, onRuler);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, onRuler);
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(slider.Value(), 10) << "only the first press jumps";
    EXPECT_EQ(ends.count(), 1);
    QTest::mouseDClick(&slider, Qt::RightButton, {}, onRuler);
    QTest::mouseRelease(&slider, Qt::RightButton, {}, onRuler);
    EXPECT_EQ(doubleClicks.count(), 1);
}

TEST_F(SliderWidget, VerticalSliderHasItsMinimumAtTheBottom) {
    slider.setOrientation(TRxSlider::soVertical);
    slider.resize(40, 150);
    slider.setValue(0);
    const int bottom = slider.thumbRect().top();
    slider.setValue(100);
    EXPECT_LT(slider.thumbRect().top(), bottom);
    // Dragging the thumb up raises the value.
    slider.setValue(50);
    const QPoint start = thumbCentre();
    QTest::mousePress(&slider, Qt::LeftButton, {}, start);
    QTest::mouseMove(&slider, start - QPoint(0, 20));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, start - QPoint(0, 20));
    EXPECT_GT(slider.Value(), 50);
}

TEST_F(SliderWidget, PublishedPropertiesAreSetByName) {
    EXPECT_TRUE(slider.setProperty("MinValue", -50));
    EXPECT_TRUE(slider.setProperty("MaxValue", 1000));
    EXPECT_TRUE(slider.setProperty("Value", 10));
    EXPECT_EQ(slider.Value(), 10);
    EXPECT_TRUE(slider.setProperty("Options", "soShowFocus|soSmooth"));
    EXPECT_EQ(slider.Options(), TRxSlider::TSliderOptions(TRxSlider::soShowFocus | TRxSlider::soSmooth));
    EXPECT_TRUE(slider.setProperty("Orientation", "soVertical"));
    EXPECT_EQ(slider.Orientation(), TRxSlider::soVertical);
    EXPECT_TRUE(slider.setProperty("Tag", 7));
    EXPECT_EQ(slider.Tag(), 7);
    // The edge size must leave part of the 20-pixel ruler picture to repeat.
    slider.setEdgeSize(10);
    EXPECT_EQ(slider.EdgeSize(), 2);
    slider.setEdgeSize(9);
    EXPECT_EQ(slider.EdgeSize(), 9);
}

TEST_F(SliderWidget, UserPicturesReplaceTheBuiltInOnes) {
    QImage thumb(30, 20, QImage::Format_RGB32);
    thumb.fill(Qt::red);
    slider.setImage(TRxSlider::siHThumb, thumb);
    EXPECT_EQ(slider.thumbRect().size(), QSize(15, 20));
    EXPECT_EQ(slider.geometry().rulerSpan, 138 - 15);
    slider.setOptions(slider.Options() | TRxSlider::soThumbOpaque);
    slider.setImage(TRxSlider::siHThumb, QImage());
    EXPECT_EQ(slider.thumbRect().size(), QSize(11, 18));
    EXPECT_FALSE(slider.Options() & TRxSlider::soThumbOpaque);
}

TEST_F(SliderWidget, DrawsTicksBevelAndTheHeldDownThumb) {
    const auto picture = [this] { return slider.grab().toImage(); };
    const QImage plain = picture();
    slider.setOptions(slider.Options() & ~TRxSlider::TSliderOptions(TRxSlider::soShowPoints));
    EXPECT_NE(picture(), plain);
    slider.setOptions(slider.Options() | TRxSlider::soShowPoints);
    EXPECT_EQ(picture(), plain);
    slider.setEnabled(false);  // a disabled slider shows the second thumb look
    EXPECT_NE(picture(), plain);
    slider.setEnabled(true);
    slider.setBevelStyle(TRxSlider::bvLowered);
    EXPECT_NE(picture(), plain);
    slider.setOrientation(TRxSlider::soVertical);
    slider.resize(40, 150);
    EXPECT_EQ(picture().size(), QSize(40, 150));
}

}  // namespace
}  // namespace kestrave
