// Placement, outline, button choice, message layout and topic paging of the speech balloon.

#include <gtest/gtest.h>

#include "assistant/balloon_layout.h"

namespace kestrave {
namespace {

const QRect Screen(0, 0, 800, 600);

bool insideByOnePixel(QRect window, QRect area) {
    return window.left() >= area.left() + 1 && window.top() >= area.top() + 1 &&
           window.right() <= area.right() - 1 && window.bottom() <= area.bottom() - 1;
}

TEST(BalloonPlacement, ChoosesTheSideWhereItFitsAndStaysInside) {
    struct Case {
        QRect anchor;
        bool prefersSides;
        std::vector<int> allowed;
    };
    const Case cases[] = {
        {{0, 0, 2, 2}, false, {3, 6}},      // top-left corner: right or below
        {{798, 598, 2, 2}, false, {2, 7}},  // bottom-right corner: above or left
        {{400, 300, 2, 2}, false, {1}},     // room above: above, left-aligned
        {{780, 300, 20, 2}, false, {2}},    // at the right edge: above, right-aligned
        {{400, 300, 2, 2}, true, {3}},      // tips prefer the side
        {{100, 590, 2, 2}, true, {3, 4}},   // near the bottom the side keeps inside
    };
    const QSize body(200, 100);
    for (const Case& c : cases) {
        const BalloonPlacement p = placeBalloon(c.anchor, Screen, body, TBalloonMetrics{}, c.prefersSides);
        EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), p.placement), c.allowed.end())
            << "anchor " << c.anchor.x() << "," << c.anchor.y() << " gave " << p.placement;
        EXPECT_TRUE(insideByOnePixel(p.window, Screen)) << p.placement;
        EXPECT_EQ(p.body.size(), body);
    }
}

TEST(BalloonPlacement, NoAnchorIsCentredAndOverlapOffsetsPlaceTheBody) {
    const BalloonPlacement centred = placeBalloon(std::nullopt, Screen, {200, 100}, TBalloonMetrics{}, false);
    EXPECT_EQ(centred.placement, 0);
    EXPECT_EQ(centred.window, QRect(300, 250, 200, 100));

    // The window's settings: no tail and 50 pixels of overlap.
    TBalloonMetrics metrics;
    metrics.ArrowLength = 0;
    metrics.BalloonOffset = -50;
    const QRect anchor(320, 240, 2, 2);
    const BalloonPlacement p = placeBalloon(anchor, Screen, {250, 120}, metrics, false);
    EXPECT_EQ(p.placement, 1);
    EXPECT_EQ(p.window, QRect(320, 240 - 120 + 50, 250, 120));
    EXPECT_EQ(p.window.bottom() + 1 - anchor.top(), 50);
}

TEST(BalloonPlacement, TheTailSitsOnTheFacingEdgeAndTheBodyNeverOutgrowsTheArea) {
    const TBalloonMetrics metrics;
    const BalloonPlacement right = placeBalloon(QRect(0, 0, 2, 2), Screen, {200, 100}, metrics, false);
    ASSERT_EQ(right.placement, 3);
    EXPECT_EQ(right.window.size(), QSize(200 + metrics.ArrowLength, 100));
    EXPECT_EQ(right.body.topLeft(), QPoint(metrics.ArrowLength, 0));
    EXPECT_GE(right.tailOffset, metrics.RoundCorner);
    EXPECT_LE(right.tailOffset, 100 - metrics.RoundCorner - metrics.ArrowThickness);
    const QPainterPath shape = balloonShape(right, metrics);
    EXPECT_TRUE(shape.contains(QPointF(1, right.tailOffset + metrics.ArrowThickness / 2.0)));
    EXPECT_FALSE(shape.contains(QPointF(1, 2)));

    const BalloonPlacement huge = placeBalloon(QRect(10, 10, 2, 2), Screen, {2000, 1500}, metrics, false);
    EXPECT_GE(huge.window.left(), 1);
    EXPECT_GE(huge.window.top(), 1);
    EXPECT_LE(huge.body.width(), 798);
}

TEST(BalloonPlacement, EachPlacementPutsBodyTailAndOffsetWhereTheTableSays) {
    // Tail 30, offset 12, body 200 x 100, on an 800 x 600 screen; windows worked out by hand.
    TBalloonMetrics metrics;
    metrics.ArrowLength = 30;
    metrics.BalloonOffset = 12;
    struct Case {
        QRect anchor;
        bool prefersSides;
        int placement;
        QRect window;
        QPoint body;  // inside the window
        int tailOffset;
    };
    const Case cases[] = {
        // Above, left-aligned: y = T0 - (H + T) - O; the tail takes the window's bottom 30 rows.
        {{400, 300, 2, 2}, false, 1, {400, 300 - 130 - 12, 200, 130}, {0, 0}, 15},
        // Right, top-aligned: x = R + O; the tail starts 40 pixels below the anchor's top.
        {{10, 100, 20, 30}, true, 3, {30 + 12, 100, 230, 100}, {30, 0}, 40},
        // Right, bottom-aligned near the bottom: y = B - H; the tail keeps clear of the corner.
        {{10, 550, 20, 30}, true, 4, {42, 480, 230, 100}, {30, 0}, 100 - 15 - 10},
        // Left, bottom-aligned: x = L - (W + T) - O.
        {{770, 550, 20, 30}, true, 7, {770 - 230 - 12, 480, 230, 100}, {0, 0}, 100 - 15 - 10},
        // Left, top-aligned.
        {{770, 120, 20, 30}, true, 8, {528, 120, 230, 100}, {0, 0}, 40},
        // The anchor's top above the screen: bottom-aligned, and the tail 40 pixels below the
        // anchor's visible top (0), 10 pixels below the body's top.
        {{10, -20, 20, 130}, true, 4, {42, 10, 230, 100}, {30, 0}, 40 - 10},
    };
    for (const Case& c : cases) {
        const BalloonPlacement p = placeBalloon(c.anchor, Screen, {200, 100}, metrics, c.prefersSides);
        EXPECT_EQ(p.placement, c.placement);
        EXPECT_EQ(p.window, c.window) << c.placement;
        EXPECT_EQ(p.body, QRect(c.body, QSize(200, 100))) << c.placement;
        EXPECT_EQ(p.tailOffset, c.tailOffset) << c.placement;
    }
}

TEST(BalloonOpening, OutlinesGrowAroundTheBodyCentre) {
    const QRect body(10, 0, 200, 100);
    for (const OpeningStep step : OpeningSteps) {
        const QRect outline = openingOutline(body, step.percent);
        EXPECT_EQ(outline.width(), 200 * step.percent / 100);
        EXPECT_LE(std::abs(outline.center().x() - body.center().x()), 1);
    }
}

TEST(MessageButtons, FocusAndCancelFollowTheSet) {
    struct Case {
        std::uint16_t buttons;
        int defaultButton;
        int focused, cancel;
    };
    const std::uint16_t yes = 1, no = 2, ok = 4, cancel = 8, retry = 32;
    const Case cases[] = {
        {yes | no | cancel, 255, 0, 3},  // Yes has the focus, Esc is Cancel
        {yes | no | cancel, 1, 1, 3},    // the asked-for No
        {ok, 255, 2, 2},                 // OK alone does both
        {yes | no, 255, 0, 1},
        {retry | cancel, 255, 5, 3},
        {yes | no, 2, 0, 1},  // a default that is not in the set is ignored
        {0, 255, -1, -1},
    };
    for (const Case& c : cases) {
        const MessageButtonChoice choice = chooseMessageButtons(c.buttons, c.defaultButton);
        EXPECT_EQ(choice.focused, c.focused) << c.buttons;
        EXPECT_EQ(choice.cancel, c.cancel) << c.buttons;
    }
}

MessageMeasures measures(int buttons, int textWidth, int lineHeight) {
    MessageMeasures m;
    m.buttonCount = buttons;
    m.caption = {30, 14};
    m.icon = {32, 32};
    m.textNaturalWidth = textWidth;
    m.textHeight = [textWidth, lineHeight](int w) { return lineHeight * ((textWidth + w - 1) / w); };
    return m;
}

TEST(MessageLayout, ButtonsAreCentredInOneRowBelowTextAndCheckBox) {
    TBalloonMetrics metrics;
    MessageMeasures m = measures(3, 100, 14);
    m.checkBoxWidth = 120;
    m.checkBoxHeight = 18;
    const MessageLayout layout = layoutMessage(m, metrics, {798, 598});
    ASSERT_EQ(layout.buttons.size(), 3u);
    EXPECT_GE(layout.body.width(), metrics.MinMsgDlgWidth);
    EXPECT_GT(layout.checkBox.top(), layout.text.bottom());
    for (const QRect& button : layout.buttons) {
        EXPECT_EQ(button.top(), layout.buttons[0].top());
        EXPECT_GT(button.top(), layout.checkBox.bottom());
        EXPECT_EQ(button.width(), metrics.MinButtonWidth);
    }
    const int leftRoom = layout.buttons.front().left();
    const int rightRoom = layout.body.width() - layout.buttons.back().right() - 1;
    EXPECT_LE(std::abs(leftRoom - rightRoom), 1);
    const int gap = layout.buttons[1].left() - layout.buttons[0].right() - 1;
    EXPECT_LE(gap, metrics.MaxButtonSpacing);
    EXPECT_EQ(layout.body.height(), layout.buttons[0].bottom() + 1 + metrics.ControlSpacing);
}

TEST(MessageLayout, ANarrowMessageIsAsWideAsTheSmallestMessageBalloon) {
    for (const int floor : {175, 250}) {
        TBalloonMetrics metrics;
        metrics.MinMsgDlgWidth = floor;
        MessageMeasures m = measures(1, 40, 14);
        EXPECT_EQ(layoutMessage(m, metrics, {798, 598}).body.width(), floor);
    }
}

TEST(MessageLayout, LongTextsWrapAndNeverLeaveTheWorkArea) {
    const TBalloonMetrics metrics;
    const MessageLayout wide = layoutMessage(measures(1, 3000, 14), metrics, {798, 598});
    EXPECT_LE(wide.text.width(), MaxMessageTextWidth);
    EXPECT_GT(wide.text.height(), 14);
    const MessageLayout tall = layoutMessage(measures(1, 100000, 14), metrics, {300, 200});
    EXPECT_LE(tall.body.width(), 300);
    EXPECT_LE(tall.body.height(), 200);
    EXPECT_LE(tall.buttons[0].bottom(), 200);
}

TEST(TopicPages, EveryPageHoldsAtLeastOneTopic) {
    EXPECT_EQ(topicPageStarts({20, 20, 20, 20}, 50, 2), (std::vector<int>{0, 2}));
    EXPECT_EQ(topicPageStarts({20, 500, 20}, 50, 2), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(topicPageStarts({}, 50, 2), std::vector<int>{});
}

TEST(BalloonOptions, TipIndexStaysInTheListAndTopicOptionsRoundTrip) {
    TTipsDlgOptions tips;
    tips.setTipIndex(5);
    EXPECT_EQ(tips.TipIndex(), -1);  // no tips: none, not 0..-1
    tips.setTips({"a", "b", "c"});
    EXPECT_EQ(tips.TipIndex(), 0);
    tips.setTipIndex(100);
    EXPECT_EQ(tips.TipIndex(), 2);
    tips.setTips({"a"});
    EXPECT_EQ(tips.TipIndex(), 0);

    TTopicsList topics;
    topics.AddTopic("heading", 5);
    topics.AddTopicWithID("one", 32, 1);
    topics.AddTopicWithID("far", 0, -2);
    const QByteArray stream = topics.Options();
    ASSERT_EQ(stream.size(), 15);
    EXPECT_EQ(stream.mid(0, 5), QByteArray("\xff\xff\xff\xff\x05", 5));
    EXPECT_EQ(stream.mid(5, 5), QByteArray("\x01\x00\x00\x00\x20", 5));
    TTopicsList copy;
    copy.Add("heading");
    copy.Add("one");
    copy.Add("far");
    copy.Add("extra");
    copy.setOptions(stream);
    EXPECT_EQ(copy[1].options.ID, 1);
    EXPECT_EQ(copy[2].options.ID, -2);
    EXPECT_EQ(copy[0].options.Flags, 5);
    EXPECT_EQ(copy[3].options.ID, -1);
}

}  // namespace
}  // namespace kestrave
