// The screen and queue services of the component set, and the button and label settings that
// rest on them: the invert frame, what lies under a control, waiting events taken out, the
// foreground test; caption alignment, frame style and the accelerator switch.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "widget_test_support.h"
#include "widgets/component_graphics.h"
#include "widgets/shadow_label.h"
#include "widgets/speed_button.h"

namespace kestrave {
namespace {

TEST(InvertFrame, DrawingTheSameFrameAgainTakesItAway) {
    test::app();
    const QRect first(100, 50, 300, 30);
    const QRect second(100, 80, 300, 30);
    DrawInvertFrame(first, 3);
    EXPECT_EQ(shownInvertFrames(), QList<QRect>{first});
    DrawInvertFrame(second, 3);
    EXPECT_EQ(shownInvertFrames(), (QList<QRect>{first, second}));
    DrawInvertFrame(first, 3);
    EXPECT_EQ(shownInvertFrames(), QList<QRect>{second});
    DrawInvertFrame(second, 3);
    EXPECT_TRUE(shownInvertFrames().isEmpty());
    DrawInvertFrame(first, 0);
    EXPECT_TRUE(shownInvertFrames().isEmpty()) << "a frame of no width draws nothing";
}

// A widget that counts the presses that reach it.
struct PressCounter : QWidget {
    int presses = 0;
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

QMouseEvent* press(QPoint at = {2, 2}) {
    return new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
}

TEST(KillMessage, OneWaitingEventNeverArrivesAndTheOthersDo) {
    test::app();
    PressCounter counter;
    counter.resize(20, 20);
    const auto deliver = [&counter] {
        std::unique_ptr<QMouseEvent> event(press());
        QApplication::sendEvent(&counter, event.get());
    };
    // Of two presses posted, one is taken out.
    QCoreApplication::postEvent(&counter, press());
    QCoreApplication::postEvent(&counter, press());
    KillMessage(&counter, QEvent::MouseButtonPress);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.presses, 1) << "one posted press was taken out, the other came";

    // With none posted, the first one the window system delivers before the loop turns again
    // is dropped, and only that one; after the turn they all come.
    KillMessage(&counter, QEvent::MouseButtonPress);
    deliver();
    deliver();
    EXPECT_EQ(counter.presses, 2);
    QCoreApplication::processEvents();
    deliver();
    EXPECT_EQ(counter.presses, 3);

    // One in all: a delivered press dropped leaves the posted one to come.
    QCoreApplication::postEvent(&counter, press());
    KillMessage(&counter, QEvent::MouseButtonPress);
    deliver();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.presses, 4);

    // Other event types pass.
    KillMessage(&counter, QEvent::MouseButtonDblClick);
    deliver();
    EXPECT_EQ(counter.presses, 5);
}

TEST(ForegroundTask, HoverShowsOnlyWhileAWindowOfTheProgramIsActive) {
    test::app();
    const test::PointerScope pointer;
    QWidget window;
    auto* button = new TRxSpeedButton(&window);
    button->setGeometry(5, 5, 60, 22);
    auto* label = new TRxLabel(&window);
    label->setCaption("Frames");
    label->move(5, 40);
    QSignalSpy buttonEnters(button, &TRxSpeedButton::OnMouseEnter);
    QSignalSpy labelEnters(label, &TRxLabel::OnMouseEnter);
    QCursor::setPos(QPoint(2000, 2000));
    window.show();
    QApplication::setActiveWindow(nullptr);
    ASSERT_FALSE(IsForegroundTask());
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    QApplication::sendEvent(button, &enter);
    QApplication::sendEvent(label, &enter);
    EXPECT_EQ(buttonEnters.count(), 0);
    EXPECT_EQ(labelEnters.count(), 0);

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(IsForegroundTask());
    QApplication::sendEvent(button, &enter);
    QApplication::sendEvent(label, &enter);
    EXPECT_EQ(buttonEnters.count(), 1);
    EXPECT_EQ(labelEnters.count(), 1);
}

// A parent that paints itself red, with a green sibling under part of the control and a blue
// one above it.
struct Painted : QWidget {
    QColor colour;
    explicit Painted(QColor c, QWidget* parent = nullptr) : QWidget(parent), colour(c) {}
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour); }
};

// A control that keeps what lay under it when it last painted.
struct Capturing : QWidget {
    using QWidget::QWidget;
    QImage seen;
    void paintEvent(QPaintEvent*) override {
        seen = QImage(size(), QImage::Format_RGB32);
        seen.fill(Qt::white);
        QPainter painter(&seen);
        CopyParentImage(*this, painter);
    }
};

TEST(CopyParentImage, ThePartsBeneathTheControlShowInItsCoordinates) {
    test::app();
    Painted parent(Qt::red);
    parent.resize(200, 100);
    auto* beneath = new Painted(Qt::green, &parent);
    beneath->setGeometry(40, 10, 20, 20);
    auto* control = new Capturing(&parent);
    control->setGeometry(30, 10, 40, 30);
    auto* above = new Painted(Qt::blue, &parent);
    above->setGeometry(60, 10, 20, 20);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    control->repaint();
    const QImage& picture = control->seen;
    ASSERT_EQ(picture.size(), QSize(40, 30));
    EXPECT_EQ(QColor(picture.pixel(2, 2)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(12, 2)), QColor(Qt::green)) << "a sibling beneath shows";
    EXPECT_EQ(QColor(picture.pixel(12, 25)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(35, 5)), QColor(Qt::red)) << "a sibling above is not under it";

    beneath->hide();
    control->repaint();
    EXPECT_EQ(QColor(control->seen.pixel(12, 2)), QColor(Qt::red)) << "a hidden sibling is not";

    parent.hide();
    control->seen = QImage();
    QImage untouched(40, 30, QImage::Format_RGB32);
    untouched.fill(Qt::white);
    QPainter painter(&untouched);
    CopyParentImage(*control, painter);
    painter.end();
    EXPECT_EQ(QColor(untouched.pixel(2, 2)), QColor(Qt::white)) << "a window not shown has nothing to give";
}

TEST(CopyParentImage, ATransparentButtonShowsThePaintingOfItsParent) {
    test::app();
    Painted parent(QColor(10, 120, 200));
    parent.resize(120, 40);
    auto* button = new TRxSpeedButton(&parent);
    button->setGeometry(10, 5, 70, 24);
    button->setTransparent(true);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    parent.repaint();
    // What the window shows where the button stands.
    const QImage shown = parent.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(10 + 20, 5 + 4)), QColor(10, 120, 200));
}

// The columns that hold caption pixels of a button's picture.
std::pair<int, int> captionColumns(const QImage& image, QColor face) {
    int first = image.width(), last = -1;
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            if (QColor(image.pixel(x, y)) != face && qGray(image.pixel(x, y)) < 100) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

TEST(SpeedButtonLook, TheCaptionFollowsItsAlignmentAndTheOldStyleHasABlackOutline) {
    test::app();
    QWidget window;
    auto* button = new TRxSpeedButton(&window);
    button->setGeometry(0, 0, 120, 24);
    button->setText("Go");
    QPalette colours = button->palette();
    colours.setColor(QPalette::Button, QColor(192, 192, 192));
    colours.setColor(QPalette::ButtonText, Qt::black);
    colours.setColor(QPalette::Shadow, Qt::black);
    button->setPalette(colours);
    window.show();
    const QColor face(192, 192, 192);
    const auto centred = captionColumns(button->grab().toImage(), face);
    button->setAlignment(Qt::AlignLeft);
    EXPECT_EQ(button->Alignment(), Qt::AlignLeft);
    const auto left = captionColumns(button->grab().toImage(), face);
    button->setAlignment(Qt::AlignRight);
    const auto right = captionColumns(button->grab().toImage(), face);
    ASSERT_GE(centred.second, 0);
    EXPECT_LT(left.first, centred.first);
    EXPECT_GT(right.second, centred.second);
    EXPECT_LT(left.first, 20);
    EXPECT_GT(right.second, 100);

    EXPECT_EQ(button->Style(), TRxSpeedButton::bsAutoDetect);
    const QImage newStyle = button->grab().toImage();
    button->setStyle(TRxSpeedButton::bsWin31);
    const QImage oldStyle = button->grab().toImage();
    EXPECT_EQ(QColor(oldStyle.pixel(0, 12)), QColor(Qt::black));
    EXPECT_EQ(QColor(oldStyle.pixel(119, 12)), QColor(Qt::black));
    EXPECT_NE(oldStyle, newStyle);
}

TEST(ShadowLabelAccel, WithoutShowAccelCharTheMarkIsPartOfTheCaption) {
    test::app();
    TRxLabel label;
    label.setShadowSize(0);
    label.setCaption("&Stack");
    const int withAccel = label.width();
    EXPECT_TRUE(label.ShowAccelChar());
    label.setShowAccelChar(false);
    const QFontMetrics metrics(label.font());
    const auto width = [&](int flags, const char* text) { return metrics.size(flags, text).width(); };
    EXPECT_EQ(label.width() - withAccel, width(0, "&Stack") - width(Qt::TextShowMnemonic, "&Stack"));
    // A lone mark is a caption of its own now, no blank.
    label.setCaption("&");
    const int lone = label.width();
    label.setShowAccelChar(true);
    EXPECT_EQ(lone - label.width(), width(0, "&") - width(Qt::TextShowMnemonic, " "));
}

}  // namespace
}  // namespace kestrave
