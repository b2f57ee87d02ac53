// The office-style button: its mouse states and click rules, keys, glyph choice and layout rules.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "assistant/office_button.h"
#include "assistant/office_glyphs.h"
#include "assistant_test_support.h"

namespace kestrave {
namespace {

struct OfficeButton : test::QtTest {
    OfficeButton() {
        button.setCaption("&Retry");
        button.resize(80, 24);
        button.show();
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        const Qt::MouseButton which = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, at, button.mapToGlobal(at), which, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&button, &e);
    }
    void enter() {
        QEnterEvent e(QPointF(5, 5), QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(&button, &e);
    }
    void leave() {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(&button, &e);
    }

    TOffice97Button button;
    QSignalSpy clicks{&button, &TOffice97Button::OnClick};
    const QPoint inside{10, 10};
    const QPoint outside{200, 10};
};

TEST_F(OfficeButton, HoverPressAndLeavingShowTheFourStates) {
    QSignalSpy enters(&button, &TOffice97Button::OnMouseEnter);
    QSignalSpy exits(&button, &TOffice97Button::OnMouseExit);
    EXPECT_EQ(button.mouseState(), 0);
    enter();
    EXPECT_EQ(button.mouseState(), 1);
    mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton);
    EXPECT_EQ(button.mouseState(), 2);
    leave();
    EXPECT_EQ(button.mouseState(), 3);
    mouse(QEvent::MouseMove, outside, Qt::LeftButton);
    EXPECT_EQ(button.mouseState(), 3);
    mouse(QEvent::MouseMove, inside, Qt::LeftButton);
    EXPECT_EQ(button.mouseState(), 2);
    mouse(QEvent::MouseMove, outside, Qt::LeftButton);
    EXPECT_EQ(button.mouseState(), 3);
    // Released away from the button: no click.
    mouse(QEvent::MouseButtonRelease, outside, Qt::NoButton);
    EXPECT_EQ(button.mouseState(), 0);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(enters.count(), 1);
    EXPECT_EQ(exits.count(), 1);

    // Out and back in before the release: exactly one click.
    enter();
    mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton);
    mouse(QEvent::MouseMove, outside, Qt::LeftButton);
    mouse(QEvent::MouseMove, inside, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, inside, Qt::NoButton);
    EXPECT_EQ(button.mouseState(), 1);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).value<QObject*>(), &button);
}

TEST_F(OfficeButton, TheLooksDrawDifferentlyUnderTheMouse) {
    for (bool later : {true, false}) {
        button.setOffice2000Look(later);
        leave();
        const QImage idle = button.grab().toImage();
        enter();
        const QImage hovered = button.grab().toImage();
        mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton);
        const QImage down = button.grab().toImage();
        mouse(QEvent::MouseButtonRelease, inside, Qt::NoButton);
        EXPECT_NE(idle, hovered) << later;
        EXPECT_NE(hovered, down) << later;
    }
}

TEST_F(OfficeButton, LookAndKindSetTheGlyphRules) {
    // The later look is the default: a plain button shows no glyph.
    EXPECT_TRUE(button.Office2000Look());
    EXPECT_FALSE(button.ShowGlyph());
    EXPECT_EQ(button.Color(), QColor(255, 255, 204));
    EXPECT_EQ(button.Position(), TOffice97Button::bsLeft);

    EXPECT_TRUE(button.setProperty("Office2000Look", false));
    EXPECT_TRUE(button.ShowGlyph());
    EXPECT_EQ(button.Color(), QColor(255, 255, 225));
    button.setOffice2000Look(true);
    EXPECT_FALSE(button.ShowGlyph());

    button.setPosition(TOffice97Button::bsRight);
    EXPECT_TRUE(button.setProperty("ControlType", TOffice97Button::bsHintButton));
    EXPECT_EQ(button.Position(), TOffice97Button::bsTop);
    EXPECT_TRUE(button.ShowGlyph());
    button.setControlType(TOffice97Button::bsButton);
    EXPECT_FALSE(button.ShowGlyph());
}

TEST(OfficeGlyphs, CaptionWidthRule) {
    const struct {
        bool plain, side, show;
        int expected;
    } cases[] = {
        {true, false, true, 100 - 13},           {true, true, true, 100 - 11 - 18},
        {false, false, true, 100 - 11 - 10},     {true, false, false, 100 - 13 + 16},
        {true, true, false, 100 - 11 - 18 + 16},
    };
    for (const auto& c : cases)
        EXPECT_EQ(captionWidthLimit(100, c.plain, c.side, 11, c.show), c.expected)
            << c.plain << c.side << c.show;
}

TEST_F(OfficeButton, CustomGlyphsByStateWithTheirTransparentColour) {
    // 3 x 3 glyphs on a red ground (the bottom-left pixel), one pixel in the middle coloured.
    const auto glyph = [](QRgb ground, QRgb middle) {
        QImage g(3, 3, QImage::Format_RGB32);
        g.fill(ground);
        g.setPixel(1, 1, middle);
        return g;
    };
    const QRgb red = qRgb(255, 0, 0);
    button.setUseCustomGlyphs(true);
    button.setInactiveGlyph(glyph(red, qRgb(0, 0, 255)));
    button.setActiveGlyph(glyph(red, qRgb(0, 255, 0)));
    EXPECT_EQ(button.currentGlyph().pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(qAlpha(button.currentGlyph().pixel(0, 0)), 0);
    enter();
    EXPECT_EQ(button.currentGlyph().pixel(1, 1), qRgb(0, 255, 0));
    // No down glyph: the inactive one stands in.
    mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton);
    EXPECT_EQ(button.currentGlyph().pixel(1, 1), qRgb(0, 0, 255));
    // Pressed and moved away: the inactive glyph, not the active one.
    mouse(QEvent::MouseMove, outside, Qt::LeftButton);
    EXPECT_EQ(button.currentGlyph().pixel(1, 1), qRgb(0, 0, 255));
    mouse(QEvent::MouseButtonRelease, outside, Qt::NoButton);

    // Disabled without a disabled glyph: the inactive glyph's shape embossed.
    button.setEnabled(false);
    const QImage embossed = button.currentGlyph();
    EXPECT_EQ(embossed.pixel(1, 1), kEmbossShadow);
    EXPECT_EQ(embossed.pixel(2, 2), kEmbossHighlight);
    EXPECT_EQ(qAlpha(embossed.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(embossed.pixel(2, 1)), 0);
    button.setEnabled(true);

    // Without automatic transparency the given colour is the transparent one.
    button.setAutoTransparency(false);
    button.setTransparentColor(QColor(0, 0, 255));
    leave();
    EXPECT_EQ(qAlpha(button.currentGlyph().pixel(1, 1)), 0);
    EXPECT_EQ(button.currentGlyph().pixel(0, 0), red);

    // The built-in sets lose their key colour too.
    button.setUseCustomGlyphs(false);
    const QImage builtIn = button.currentGlyph();
    button.setAutoTransparency(true);
    EXPECT_EQ(qAlpha(button.currentGlyph().pixel(0, builtIn.height() - 1)), 0);
    EXPECT_EQ(officeGlyph(0), QImage());
    EXPECT_NE(officeGlyph(21), officeGlyph(24));
}

TEST_F(OfficeButton, AutoHeightFollowsTheWrappedCaption) {
    button.setAutoHeight(true);
    const int oneLine = button.height();
    button.setCaption("A caption long enough to need several lines in a narrow button");
    EXPECT_GT(button.height(), 2 * oneLine - 8);
    button.setWordWrap(false);
    EXPECT_EQ(button.height(), oneLine);
}

struct OfficeButtonKeys : test::QtTest {
    OfficeButtonKeys() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(yes);
        layout->addWidget(no);
        layout->addWidget(cancel);
        yes->setCaption("&Yes");
        no->setCaption("&No");
        cancel->setCaption("Cancel");
        yes->setDefault(true);
        cancel->setCancel(true);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget window;
    QLineEdit* edit = new QLineEdit;
    TOffice97Button* yes = new TOffice97Button;
    TOffice97Button* no = new TOffice97Button;
    TOffice97Button* cancel = new TOffice97Button;
    QSignalSpy yesClicks{yes, &TOffice97Button::OnClick};
    QSignalSpy noClicks{no, &TOffice97Button::OnClick};
    QSignalSpy cancelClicks{cancel, &TOffice97Button::OnClick};
};

TEST_F(OfficeButtonKeys, EnterEscAndAcceleratorsClickTheRightButton) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(yesClicks.count(), 1);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);
    QTest::keyClick(edit, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(cancelClicks.count(), 1);

    // The focused button takes Enter and Space itself, and its letter without Alt.
    no->setFocus();
    QTest::keyClick(no, Qt::Key_Return);
    QTest::keyClick(no, Qt::Key_Space);
    QTest::keyClick(no, Qt::Key_N);
    EXPECT_EQ(noClicks.count(), 3);
    EXPECT_EQ(yesClicks.count(), 1);

    // Elsewhere the letter needs Alt.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(noClicks.count(), 4);
    EXPECT_EQ(yesClicks.count(), 1);
}

}  // namespace
}  // namespace kestrave
