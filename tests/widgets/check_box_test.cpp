// The check box: who fires what when, and what it draws.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "platform/riff_file.h"
#include "platform/wave_sound.h"
#include "support/recording_sound_sink.h"
#include "widget_test_support.h"
#include "widgets/check_box.h"

namespace kestrave {
namespace {

TEST(PCheckModel, LayoutPutsTheBoxOnTheChosenSide) {
    // Box at the left: box at x 2, caption from x 22, both centred (rounded toward zero).
    const CheckLayout left = checkLayout(QSize(120, 21), 40, 14, true, QSize(13, 13));
    EXPECT_EQ(left.box, QPoint(2, 4));
    EXPECT_EQ(left.caption, QRect(22, 3, 43, 14));
    const CheckLayout right = checkLayout(QSize(120, 21), 40, 14, false, QSize(13, 13));
    EXPECT_EQ(right.box, QPoint(102, 4));
    EXPECT_EQ(right.caption.left(), 2);
}

struct PCheckWidget : test::WidgetTest {
    PCheckWidget() {
        check.setCaption("&Drizzling");
        check.resize(120, 21);
        check.show();
        QObject::connect(&check, &TPCheck::OnClick, [this] { stateSeenByClick << check.Checked(); });
    }
    QImage picture() { return check.grab().toImage(); }
    // Puts the box in a shown window and waits until the window is active, so that the keyboard
    // reaches it; false when it never becomes active.
    bool inActiveWindow() {
        check.setParent(&window);
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    // Before the box, so that the box leaves it before it goes.
    QWidget window;
    TPCheck check;
    QSignalSpy clicks{&check, &TPCheck::OnClick};
    QSignalSpy doubleClicks{&check, &TPCheck::OnDblClick};
    QList<bool> stateSeenByClick;
};

TEST_F(PCheckWidget, WritingCheckedRepaintsAndFiresNothing) {
    const QImage unchecked = picture();
    check.setChecked(true);
    EXPECT_TRUE(check.Checked());
    EXPECT_NE(picture(), unchecked);
    EXPECT_TRUE(check.setProperty("Checked", false));
    EXPECT_FALSE(check.Checked());
    EXPECT_EQ(picture(), unchecked);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(PCheckWidget, AClickSeesTheNewState) {
    check.setChecked(true);
    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_FALSE(check.Checked());
    EXPECT_EQ(stateSeenByClick, QList<bool>{false});
}

TEST_F(PCheckWidget, EnterClicksWithoutChangingTheState) {
    check.setChecked(true);
    QTest::keyClick(&check, Qt::Key_Return);
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(PCheckWidget, ADoubleClickKeepsTheStateAndClicksTwice) {
    const QPoint inside(5, 10);
    QTest::mousePress(&check, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&check, Qt::LeftButton, {}, inside);
    QTest::mouseDClick(&check, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(&check, Qt::LeftButton, {}, inside);
    EXPECT_FALSE(check.Checked());
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(stateSeenByClick, (QList<bool>{true, false}));
}

TEST_F(PCheckWidget, ReleasedOutsideTheStateChangesWithoutClick) {
    QTest::mousePress(&check, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseRelease(&check, Qt::LeftButton, {}, QPoint(500, 10));
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(PCheckWidget, ADisabledCheckedBoxShowsNoTickAndIgnoresTheMouse) {
    check.setEnabled(false);
    const QImage disabledUnchecked = picture();
    check.setChecked(true);
    EXPECT_EQ(picture(), disabledUnchecked);
    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(PCheckWidget, HoveringHighlightsAndReports) {
    QSignalSpy enters(&check, &TPCheck::OnMouseEnter);
    QSignalSpy exits(&check, &TPCheck::OnMouseExit);
    const QImage plain = picture();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), check.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&check, &enter);
    EXPECT_TRUE(check.hovered());
    EXPECT_EQ(check.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_NE(picture(), plain);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&check, &leave);
    EXPECT_FALSE(check.hovered());
    EXPECT_EQ(picture(), plain);
    EXPECT_EQ(enters.count(), 1);
    EXPECT_EQ(exits.count(), 1);
    // Without hot tracking the pointer is still reported, but nothing is highlighted.
    check.setHotTrack(false);
    QApplication::sendEvent(&check, &enter);
    EXPECT_FALSE(check.hovered());
    EXPECT_EQ(enters.count(), 2);
}

TEST_F(PCheckWidget, TheAcceleratorClicksBeforeInverting) {
    ASSERT_TRUE(inActiveWindow());
    QTest::keyClick(&window, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(stateSeenByClick, QList<bool>{false});
    EXPECT_TRUE(check.Checked());
    EXPECT_TRUE(check.hasFocus());
    check.setParent(nullptr);
}

TEST_F(PCheckWidget, EachPressOfTheMouseClicksAndNothingElseDoes) {
    ASSERT_TRUE(inActiveWindow());
    test::RecordingSoundSink sink;
    check.setSoundSink(&sink);
    const auto clicksHeard = [&] { return sink.sounds.values().size(); };

    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_EQ(clicksHeard(), 1u);
    // Pressed inside and released outside: the state changed, and so it clicked.
    QTest::mousePress(&check, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseRelease(&check, Qt::LeftButton, {}, QPoint(500, 10));
    EXPECT_EQ(clicksHeard(), 2u);
    // A double click is two presses: two clicks.
    QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseDClick(&check, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(clicksHeard(), 4u);

    // Changes made by code, the keyboard and the other buttons are silent.
    check.setChecked(!check.Checked());
    check.setProperty("Checked", !check.Checked());
    QTest::keyClick(&check, Qt::Key_Return);
    QTest::keyClick(&window, Qt::Key_D, Qt::AltModifier);
    QTest::mouseClick(&check, Qt::RightButton);
    EXPECT_EQ(clicksHeard(), 4u);

    // PlayMusic off, or the box disabled: the state may change, but no click sounds.
    check.setPlayMusic(false);
    const bool before = check.Checked();
    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_NE(check.Checked(), before);
    check.setPlayMusic(true);
    check.setEnabled(false);
    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_EQ(clicksHeard(), 4u);
    check.setParent(nullptr);

    // The click is a sound of a few milliseconds that the output can play.
    const std::vector<std::uint8_t> wave = sink.sounds.values().front();
    const std::optional<WaveSound> click = readWave(wave);
    ASSERT_TRUE(click);
    EXPECT_EQ(click->channels, 1);
    EXPECT_EQ(click->bitsPerSample, 16);
    const double ms = 1000.0 * static_cast<double>(click->samples.size()) / 2 / click->sampleRate;
    EXPECT_GE(ms, 2.0);
    EXPECT_LE(ms, 20.0);
    int loudest = 0;
    for (std::size_t i = 0; i + 1 < click->samples.size(); i += 2)
        loudest = std::max(
            loudest, std::abs(static_cast<int>(static_cast<std::int16_t>(readLE16(&click->samples[i])))));
    EXPECT_GT(loudest, 3000) << "audible";
    EXPECT_LT(loudest, 20000) << "not harsh";
}

TEST_F(PCheckWidget, ABoxNarrowerThanItsCaptionClipsTheWholeCaption) {
    check.setCaption("Stretch histogram after stacking");
    ASSERT_LT(check.minimumSizeHint().width(), check.sizeHint().width() / 2);
    EXPECT_EQ(check.minimumSizeHint().height(), check.sizeHint().height());
    TPCheck wide;
    wide.setCaption(check.Caption());
    wide.resize(check.sizeHint().width(), 21);
    wide.show();
    check.resize(check.sizeHint().width() / 2, 21);
    // The narrow box shows the left part of the whole caption, with no "…" of its own.
    EXPECT_EQ(picture(), wide.grab().toImage().copy(check.rect()));
    check.setCaption("Ab");
    EXPECT_EQ(check.minimumSizeHint(), check.sizeHint()) << "a short caption is never shortened";
}

TEST_F(PCheckWidget, HintSecondLinesAppend) {
    check.setHint("Drizzle");
    check.setHintSecondLine("doubles the resolution");
    check.setHintSecondLine("needs many frames");
    EXPECT_EQ(check.Hint(), "Drizzle\rdoubles the resolution\rneeds many frames");
    EXPECT_EQ(check.toolTip(), "Drizzle\ndoubles the resolution\nneeds many frames");
    TPCheck noHint;
    noHint.setHintSecondLine("alone");
    EXPECT_EQ(noHint.Hint(), "");
}

TEST_F(PCheckWidget, PublishedPropertiesAreSetByName) {
    EXPECT_TRUE(check.setProperty("ImageType", "igHookLime"));
    EXPECT_EQ(check.ImageType(), TPCheck::igHookLime);
    EXPECT_TRUE(check.setProperty("Caption", "Colour stack"));
    EXPECT_EQ(check.Caption(), "Colour stack");
    EXPECT_TRUE(check.setProperty("Alignment", "taLeftJustify"));
    EXPECT_EQ(check.layout().box.x(), check.width() - 18);
    EXPECT_TRUE(check.setProperty("Style", "bmSimple"));
    EXPECT_TRUE(check.setProperty("Tag", 205));
    EXPECT_EQ(check.Tag(), 205);
    // Every look draws: each tick kind and frame differs from the others when checked.
    check.setChecked(true);
    QList<QImage> looks;
    for (int type = TPCheck::igCrossRed; type <= TPCheck::igHookRed; ++type) {
        check.setImageType(static_cast<TPCheck::TImageType>(type));
        looks << picture();
    }
    for (int i = 0; i < looks.size(); ++i)
        for (int j = i + 1; j < looks.size(); ++j) EXPECT_NE(looks[i], looks[j]) << i << " " << j;
}

}  // namespace
}  // namespace kestrave
