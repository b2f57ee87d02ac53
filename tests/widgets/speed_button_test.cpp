// Speed buttons: the group rules without a window, and press, release and repeat on a real one;
// the shadow label's text placement.

#include <gtest/gtest.h>

#include <QDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "widget_test_support.h"
#include "widgets/elided_label.h"
#include "widgets/rollup.h"
#include "widgets/shadow_label.h"
#include "widgets/speed_button.h"

namespace kestrave {
namespace {

std::vector<bool> downs(const std::vector<GroupedButton>& buttons) {
    std::vector<bool> out;
    for (const GroupedButton& b : buttons) out.push_back(b.down);
    return out;
}

TEST(SpeedButtonGroup, OneButtonOfAGroupIsDown) {
    std::vector<GroupedButton> buttons{
        {2, false, true}, {2, false, false}, {3, true, true}, {0, false, false}};
    // The down button of a group that does not allow all up stays down.
    EXPECT_TRUE(setButtonDown(buttons, 0, false).empty());
    // Pressing the other makes it the one; a button of another group is untouched.
    EXPECT_EQ(setButtonDown(buttons, 1, true), (std::vector<int>{1, 0}));
    EXPECT_EQ(downs(buttons), (std::vector<bool>{false, true, true, false}));
    // A group that allows all up lets its button go up; a button without a group is never down.
    EXPECT_EQ(setButtonDown(buttons, 2, false), (std::vector<int>{2}));
    EXPECT_TRUE(setButtonDown(buttons, 3, true).empty());
    // Going down hands the sender's allowAllUp to the rest of the group.
    std::vector<GroupedButton> handover{{4, true, false}, {4, false, true}};
    setButtonDown(handover, 0, true);
    EXPECT_TRUE(handover[1].allowAllUp);
}

struct SpeedButtonWidget : test::WidgetTest {
    SpeedButtonWidget() {
        auto clock = std::make_unique<test::ManualRepeatTimer>();
        timer = clock.get();
        button = new TRxSpeedButton(&panel, std::move(clock));
        other = new TRxSpeedButton(&panel);
        button->setGeometry(0, 0, 60, 22);
        other->setGeometry(70, 0, 60, 22);
        panel.resize(140, 30);
        panel.show();
    }
    QWidget panel;
    test::ManualRepeatTimer* timer = nullptr;
    TRxSpeedButton* button = nullptr;
    TRxSpeedButton* other = nullptr;
};

TEST_F(SpeedButtonWidget, ReleaseOutsideGivesNoClick) {
    QSignalSpy clicks(button, &TRxSpeedButton::OnClick);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button->state(), ButtonState::Down);
    QMouseEvent away(QEvent::MouseMove, QPointF(200, 10), button->mapToGlobal(QPointF(200, 10)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(button, &away);
    EXPECT_EQ(button->state(), ButtonState::Up);
    // Leaving during the drag keeps the mouse inside; the release outside tells it left.
    QSignalSpy leaves(button, &TRxSpeedButton::OnMouseLeave);
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), button->mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(button, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_TRUE(button->mouseInside());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button->mouseInside());
    EXPECT_EQ(leaves.count(), 1);
}

TEST_F(SpeedButtonWidget, GroupedButtonsStayDownUntilAnotherIsPressed) {
    button->setGroupIndex(2);
    other->setGroupIndex(2);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button->Down());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(button->state(), ButtonState::Exclusive);
    // Held down, it shows a checker of the plain face and the highlight inside its frame.
    const QImage held = button->grab().toImage();
    const QColor face = button->palette().color(QPalette::Button);
    EXPECT_TRUE(held.pixelColor(4, 4) == face || held.pixelColor(5, 4) == face);
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(other->Down());
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(button->state(), ButtonState::Up);
    // With AllowAllUp a second click raises it.
    other->setAllowAllUp(true);
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(other->Down());
}

TEST_F(SpeedButtonWidget, HeldButtonRepeatsAfterThePauseAtTheRepeatInterval) {
    button->setAllowTimer(true);
    QSignalSpy clicks(button, &TRxSpeedButton::OnClick);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
    timer->fire();  // 500 ms
    EXPECT_EQ(timer->interval(), 100);
    timer->fire();  // 600 ms
    timer->fire();  // 700 ms
    EXPECT_EQ(clicks.count(), 3);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(clicks.count(), 4);
}

// Code written for a plain tool button (checked, click, clicked) meets the same group rules as the
// mouse: Down is the checked state.
TEST_F(SpeedButtonWidget, ToolButtonCallsFollowTheGroupRules) {
    button->setGroupIndex(3);
    other->setGroupIndex(3);
    QToolButton& asTool = *button;
    QSignalSpy clicked(&asTool, &QAbstractButton::clicked);
    QSignalSpy onClick(button, &TRxSpeedButton::OnClick);
    asTool.click();
    EXPECT_TRUE(button->Down() && asTool.isChecked());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(onClick.count(), 1);
    // The down button of a group without all up cannot be raised from code either.
    asTool.setChecked(false);
    EXPECT_TRUE(button->Down() && asTool.isChecked());
    // Checking the other from code raises this one.
    static_cast<QToolButton*>(other)->setChecked(true);
    EXPECT_TRUE(other->Down());
    EXPECT_FALSE(button->Down() || asTool.isChecked());
    EXPECT_EQ(button->state(), ButtonState::Up);
    // Leaving the group raises a down button for good.
    other->setGroupIndex(0);
    EXPECT_FALSE(other->Down() || other->isChecked());
    other->setDown(true);
    EXPECT_FALSE(other->Down());
}

TEST_F(SpeedButtonWidget, DropDownMenuOpensAtTheCornerItsPositionAndAlignmentGive) {
    struct Case {
        TRxSpeedButton::MenuPosition position;
        Qt::Alignment alignment;
        QPoint at;
    };
    const Case cases[] = {
        {TRxSpeedButton::MenuPosition::Bottom, Qt::AlignLeft, {-1, 22}},
        {TRxSpeedButton::MenuPosition::Bottom, Qt::AlignRight, {61, 22}},
        {TRxSpeedButton::MenuPosition::Bottom, Qt::AlignHCenter, {30, 22}},
        {TRxSpeedButton::MenuPosition::Right, Qt::AlignLeft, {60, -1}},
        {TRxSpeedButton::MenuPosition::Right, Qt::AlignRight, {-1, -1}},
        {TRxSpeedButton::MenuPosition::Right, Qt::AlignHCenter, {30, 22}},
    };
    for (const Case& c : cases) {
        button->menuPosition = c.position;
        EXPECT_EQ(button->menuPoint(c.alignment), c.at) << static_cast<int>(c.alignment);
    }
}

TEST(ShadowLabel, ShadowGoesToTheChosenCornerAndAddsItsSize) {
    EXPECT_EQ(shadowOffset(ShadowPos::LeftTop, 2), QPoint(-2, -2));
    EXPECT_EQ(shadowOffset(ShadowPos::LeftBottom, 3), QPoint(-3, 3));
    EXPECT_EQ(shadowOffset(ShadowPos::RightBottom, 1), QPoint(1, 1));
    EXPECT_EQ(shadowOffset(ShadowPos::RightTop, 2), QPoint(2, -2));
    test::app();
    QImage image(80, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    const int plain = painter.fontMetrics().height();
    const QRect both = DrawShadowText(painter, "Xmove", QRect(10, 5, 60, 20), Qt::AlignLeft | Qt::AlignTop, 3,
                                      Qt::red, ShadowPos::RightBottom);
    painter.end();
    EXPECT_EQ(both.height(), plain + 3);
    EXPECT_EQ(both.left(), 10);
    // The shadow colour shows right of and below the text.
    bool red = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            red |= qRed(image.pixel(x, y)) > qGreen(image.pixel(x, y)) + 60;
    EXPECT_TRUE(red);
}

TEST(ShadowLabel, AutoSizeMeasuresTheCaptionAndAnEmptyOneAsABlank) {
    test::app();
    QWidget window;
    auto* label = new TRxLabel(&window);
    label->setShadowSize(2);
    const QFontMetrics metrics = label->fontMetrics();
    label->setCaption("");
    EXPECT_EQ(label->size(), QSize(metrics.horizontalAdvance(' ') + 2 + 2, metrics.height() + 2));
    label->setCaption("&");
    EXPECT_EQ(label->width(), metrics.horizontalAdvance(' ') + 4) << "a lone accelerator mark is a blank";
    // A right-aligned label grows to the left.
    label->setAlignment(Qt::AlignRight);
    label->move(100, 10);
    const int right = label->geometry().right();
    label->setCaption("Stacking started");
    EXPECT_EQ(label->geometry().right(), right);
    EXPECT_EQ(label->width(), metrics.size(Qt::TextShowMnemonic, "Stacking started").width() + 4);
    label->setAutoSize(false);
    label->setCaption("Stack");
    EXPECT_EQ(label->width(), metrics.size(Qt::TextShowMnemonic, "Stacking started").width() + 4);
    // The label fills itself with its colour unless it is transparent.
    window.setAutoFillBackground(true);
    window.setPalette(QPalette(Qt::red));
    label->setPalette(QPalette(Qt::green));
    const auto corner = [&] { return window.grab().toImage().pixelColor(label->geometry().topRight()); };
    EXPECT_EQ(corner(), label->palette().window().color());
    label->setTransparent(true);
    EXPECT_EQ(corner(), window.palette().window().color());
}

TEST(ShadowLabel, FocusRectangleFollowsTheFocusControlAndPointerIsRecheckedOnDisable) {
    test::app();
    const test::PointerScope pointer;
    QWidget window;
    auto* label = new TRxLabel(&window);
    auto* edit = new QLineEdit(&window);
    auto* elsewhere = new QLineEdit(&window);
    label->setShadowSize(0);
    label->setCaption("Frames");
    label->move(5, 5);
    edit->move(5, 40);
    elsewhere->move(5, 80);
    label->setFocusControl(edit);
    label->setShowFocus(true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    elsewhere->setFocus();
    const QImage unfocused = label->grab().toImage();
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_NE(label->grab().toImage(), unfocused) << "a focus rectangle goes around the caption";
    label->setShowFocus(false);
    EXPECT_EQ(label->grab().toImage(), unfocused);

    QSignalSpy enters(label, &TRxLabel::OnMouseEnter);
    QSignalSpy leaves(label, &TRxLabel::OnMouseLeave);
    QCursor::setPos(label->mapToGlobal(QPoint(3, 3)));
    label->setEnabled(false);
    label->setEnabled(true);
    EXPECT_EQ(leaves.count(), 1) << "a disabled label has no mouse inside";
    EXPECT_EQ(enters.count(), 1) << "enabling again finds the pointer over the label";
    EXPECT_TRUE(label->mouseInside());
    label->hide();
    EXPECT_EQ(leaves.count(), 2);
}

// A text the program writes as it runs never widens its window: beside a fixed caption in a
// narrow window it is cut short, with the whole of it as tooltip (unless the owner set one), and
// shown whole again once it fits. A roll-up's caption keeps both its ends and stays off the
// buttons of its bar.
TEST(ShadowLabel, ARunningTextIsCutShortWithTheWholeOfItAsTooltip) {
    test::app();
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* label = new ElidedLabel(&window);
    layout->addWidget(label);
    layout->addWidget(new QLabel("Goto Frame", &window));
    layout->addStretch(1);
    const int narrow = window.minimumSizeHint().width();
    const QString longText = "Frame (197) :  (stacksize 45 / 300) [Low quality 80.0 %] & more";
    label->setText(longText);
    EXPECT_EQ(window.minimumSizeHint().width(), narrow) << "the text asks for no width";
    window.resize(narrow + 60, 40);
    window.show();
    label->grab();
    EXPECT_TRUE(label->shownText().endsWith(QChar(0x2026))) << label->shownText().toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->shownText()), label->contentsRect().width());
    EXPECT_EQ(label->toolTip(), longText);
    label->setText("Frames: \r\nFrame (3): 2/20");
    window.resize(narrow + 200, 60);
    QApplication::processEvents();
    label->grab();
    EXPECT_EQ(label->width(), label->sizeHint().width());
    EXPECT_EQ(label->shownText(), "Frames: \r\nFrame (3): 2/20") << "each line fits on its own";
    EXPECT_EQ(label->toolTip(), "");
    label->setToolTip("The frame shown");
    label->setText(longText);
    label->grab();
    EXPECT_EQ(label->toolTip(), "The frame shown");
    // What is painted is the cut text, "&" and all: the same as a plain label of that text paints.
    auto* plain = new TRxLabel(&window);
    plain->show();
    plain->setAutoSize(false);
    plain->setShowAccelChar(false);
    plain->setShadowSize(0);
    for (const QString& text : {longText, QString("R & G & B")}) {
        label->setText(text);
        window.resize(narrow + 60, 40);
        QApplication::processEvents();
        plain->setGeometry(label->geometry().translated(0, 40));
        plain->setText(label->shownText());
        EXPECT_EQ(label->grab().toImage(), plain->grab().toImage()) << text.toStdString();
    }
    EXPECT_NE(label->grab().toImage(), [&] {
        plain->setShowAccelChar(true);
        return plain->grab().toImage();
    }()) << "an \"&\" underlines no letter";

    TgbRollup rollup(&window);
    rollup.setGeometry(0, 0, 200, 120);
    rollup.show();
    rollup.setWindowTitle("point #1 Average pixel difference :6.847 max :8.000");
    auto& bar = *qobject_cast<ElidedLabel*>(rollup.CaptionBar);
    // Drawn whole, centred on the bar, and clipped where it runs under the buttons or past the edges.
    EXPECT_EQ(bar.shownText(), rollup.windowTitle());
    EXPECT_TRUE(bar.toolTip().isEmpty());
    // The caption bar is a lowered panel: dark above, light below its caption colour.
    const QImage barPicture = bar.grab().toImage();
    const QRgb fill = bar.palette().color(QPalette::Window).rgb();
    const QRgb top = barPicture.pixel(bar.width() / 2, 0),
               bottom = barPicture.pixel(bar.width() / 2, bar.height() - 1);
    EXPECT_NE(top, fill);
    EXPECT_NE(bottom, fill);
    EXPECT_LT(qGray(top), qGray(bottom));
}

TEST(ButtonGlyph, MissingCellsAreMadeFromTheUpCell) {
    test::app();
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(192, 192, 192));
    palette.setColor(QPalette::Light, Qt::white);
    palette.setColor(QPalette::Dark, QColor(128, 128, 128));
    // Two cells of 4 x 4 on a transparent white: the up cell has one orange pixel and one pixel in
    // the face colour, the disabled cell one blue pixel.
    QImage bitmap(8, 4, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    bitmap.setPixel(1, 1, qRgb(200, 100, 50));
    bitmap.setPixel(2, 1, qRgb(192, 192, 192));
    bitmap.setPixel(4 + 2, 2, qRgb(0, 0, 255));
    // Full red, green and blue tell each weight from its neighbours: 255 x w / 256 is w - 1.
    bitmap.setPixel(3, 1, qRgb(255, 0, 0));
    bitmap.setPixel(1, 3, qRgb(0, 255, 0));
    bitmap.setPixel(3, 3, qRgb(0, 0, 255));
    TRxButtonGlyph glyph;
    glyph.setGlyph(bitmap);
    glyph.setNumGlyphs(2);
    glyph.setNumGlyphs(6);
    EXPECT_EQ(glyph.NumGlyphs(), 2);
    EXPECT_EQ(glyph.cellSize(), QSize(4, 4));

    const QImage& inactive = glyph.picture(GlyphState::Inactive, palette);
    // (77 x 200 + 150 x 100 + 29 x 50) / 256 = 124; the face and the transparent colour stay.
    EXPECT_EQ(inactive.pixel(1, 1), qRgb(124, 124, 124));
    EXPECT_EQ(inactive.pixel(2, 1), qRgb(192, 192, 192));
    EXPECT_EQ(inactive.pixel(3, 1), qRgb(76, 76, 76));
    EXPECT_EQ(inactive.pixel(1, 3), qRgb(149, 149, 149));
    EXPECT_EQ(inactive.pixel(3, 3), qRgb(28, 28, 28));
    EXPECT_EQ(qAlpha(inactive.pixel(0, 0)), 0);
    EXPECT_EQ(glyph.picture(GlyphState::Disabled, palette).pixel(2, 2), qRgb(0, 0, 255))
        << "a cell of its own";
    EXPECT_EQ(glyph.picture(GlyphState::Exclusive, palette).pixel(1, 1), qRgb(200, 100, 50));

    glyph.setNumGlyphs(1);
    const QImage& disabled = glyph.picture(GlyphState::Disabled, palette);
    EXPECT_EQ(disabled.pixel(1, 1), qRgb(128, 128, 128)) << "the shape in the shadow colour";
    EXPECT_EQ(disabled.pixel(3, 2), qRgb(255, 255, 255)) << "the highlight one pixel down and right";
    EXPECT_EQ(qAlpha(disabled.pixel(0, 3)), 0) << "the face around it lets the button show";
}

TEST(ButtonGlyph, GlyphAndCaptionFormOneBlock) {
    const QRect client(2, 2, 60, 40);
    struct Case {
        ButtonLayout layout;
        int margin, spacing;
        QPoint glyph, caption;
    };
    // Glyph 16 x 8, caption 30 x 13.
    const Case cases[] = {
        {ButtonLayout::GlyphBottom, -1, 1, {24, 25}, {17, 11}},  // block 22 high, centred: margin 9
        {ButtonLayout::GlyphTop, -1, 1, {24, 11}, {17, 20}},
        {ButtonLayout::GlyphLeft, 4, 2, {6, 18}, {24, 15}},
        {ButtonLayout::GlyphRight, 4, 2, {42, 18}, {10, 15}},
        {ButtonLayout::GlyphLeft, -1, 2, {8, 18}, {26, 15}},  // block 48 wide: margin 6
    };
    for (const Case& c : cases) {
        const GlyphCaptionPlace place =
            placeGlyphAndCaption(client, {16, 8}, {30, 13}, c.layout, c.margin, c.spacing);
        EXPECT_EQ(place.glyph, c.glyph) << static_cast<int>(c.layout);
        EXPECT_EQ(place.caption.topLeft(), c.caption) << static_cast<int>(c.layout);
    }
    // Without a glyph there is no spacing: the caption alone is centred.
    EXPECT_EQ(placeGlyphAndCaption(client, {}, {30, 13}, ButtonLayout::GlyphTop, -1, 5).caption.topLeft(),
              QPoint(17, 15));
    // A block taller than the client keeps the glyph whole at the bottom edge.
    EXPECT_EQ(
        placeGlyphAndCaption(QRect(2, 2, 66, 16), {16, 4}, {30, 17}, ButtonLayout::GlyphBottom, -1, 1).glyph,
        QPoint(27, 14));
}

TEST_F(SpeedButtonWidget, LongCaptionsAreShortenedAndModalResultEndsTheDialog) {
    button->setCaption("ImageInformation");
    button->setMargin(-5);
    EXPECT_EQ(button->Margin(), -1) << "margins below -1 are ignored";
    const QString shown = button->shownCaption();
    EXPECT_TRUE(shown.endsWith("...")) << shown.toStdString();
    EXPECT_LE(button->fontMetrics().horizontalAdvance(shown), 56);
    button->WordWrap = true;
    EXPECT_EQ(button->shownCaption(), "ImageInformation");

    QDialog dialog;
    auto* ok = new TRxSpeedButton(&dialog);
    ok->ModalResult = 2;
    int seenResult = -1;
    QObject::connect(ok, &TRxSpeedButton::OnClick, [&] { seenResult = dialog.result(); });
    dialog.show();
    ok->Click();
    EXPECT_EQ(seenResult, 2) << "the result is set before the click's handlers run";
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace kestrave
