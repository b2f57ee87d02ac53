// Picture helpers, cursors and the window hook of the component set.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPushButton>

#include "widget_test_support.h"
#include "widgets/component_graphics.h"
#include "widgets/window_hook.h"

namespace kestrave {
namespace {

TEST(ComponentGraphics, CheckerPatternSetsColor2WhereParitiesMatch) {
    const QImage pattern = CreateTwoColorsBrushPattern(Qt::red, Qt::white);
    ASSERT_EQ(pattern.size(), QSize(8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(QColor(pattern.pixel(x, y)), (x % 2 == y % 2) ? QColor(Qt::white) : QColor(Qt::red));
}

TEST(ComponentGraphics, CellsAreCountedRowByRow) {
    // 6 x 3 cells of 4 x 2 pixels, each filled with its own index.
    QImage sheet(24, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 24; ++x) sheet.setPixel(x, y, qRgb((y / 2) * 6 + x / 4, 0, 0));
    const QImage cell = AssignBitmapCell(sheet, 6, 3, 13);
    ASSERT_EQ(cell.size(), QSize(4, 2));
    EXPECT_EQ(qRed(cell.pixel(0, 0)), 13);
    EXPECT_EQ(qRed(cell.pixel(3, 1)), 13);
    EXPECT_EQ(qRed(AssignBitmapCell(sheet, 0, 0, -4).pixel(0, 0)), 0);  // at least one cell, index 0
}

TEST(ComponentGraphics, TheTransparentColourLeavesTheBackground) {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    picture.setPixel(1, 0, qRgb(10, 20, 30));
    const QRgb key = defaultTransparentColor(picture);
    EXPECT_EQ(QColor(key), QColor(Qt::magenta));
    const QImage keyed = withTransparentColor(picture, key);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(keyed.pixel(1, 0), qRgb(10, 20, 30));
}

TEST(ComponentGraphics, MinimizeTextEndsInAnEllipsisThatFits) {
    test::app();
    const QFontMetrics metrics(QFont("Sans", 9));
    const QString text = "Alignment points of the whole sequence";
    EXPECT_EQ(MinimizeText(text, metrics, 10000), text);
    const int room = metrics.horizontalAdvance(text) / 2;
    const QString shortened = MinimizeText(text, metrics, room);
    EXPECT_TRUE(shortened.endsWith("..."));
    EXPECT_LE(metrics.horizontalAdvance(shortened), room);
    const QString kept = shortened.chopped(3);
    EXPECT_TRUE(text.startsWith(kept));
    // One character more would not fit.
    EXPECT_GT(metrics.horizontalAdvance(text.left(kept.size() + 1) + "..."), room);
    // Not even "..." fits: the routine still ends.
    EXPECT_EQ(MinimizeText(text, metrics, 0), "...");
    EXPECT_EQ(MinimizeText("", metrics, 0), "");
}

TEST(ComponentGraphics, CursorsByNumber) {
    test::app();
    EXPECT_EQ(componentCursor(crRxHand).shape(), Qt::PointingHandCursor);
    // The drag cursor is a picture of our own, its hot spot at the arrow's tip.
    const QCursor drag = componentCursor(crRxDrag);
    EXPECT_EQ(drag.shape(), Qt::BitmapCursor);
    EXPECT_EQ(drag.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(drag.hotSpot(), QPoint(0, 0));
    EXPECT_EQ(componentCursor(1).shape(), Qt::ArrowCursor);
}

// A button that records the presses it handles itself.
class Recorder : public QPushButton {
public:
    QStringList* log;
    explicit Recorder(QStringList* l) : log(l) {}

protected:
    void mousePressEvent(QMouseEvent* e) override {
        *log << "control";
        QPushButton::mousePressEvent(e);
    }
};

void press(QWidget& w) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(1, 1), w.mapToGlobal(QPointF(1, 1)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

TEST(WindowHook, HandlersRunNewestFirstAroundTheControl) {
    test::app();
    QStringList log;
    Recorder control(&log);
    TRxWindowHook first;
    TRxWindowHook second;
    const auto watch = [&log](TRxWindowHook& hook, const QString& name, bool handles) {
        QObject::connect(&hook, &TRxWindowHook::BeforeMessage,
                         [&log, name, handles](QObject*, QEvent* e, bool& h) {
                             if (e->type() != QEvent::MouseButtonPress) return;
                             log << name + " before";
                             h = handles;
                         });
        QObject::connect(&hook, &TRxWindowHook::AfterMessage, [&log, name](QObject*, QEvent* e, bool&) {
            if (e->type() == QEvent::MouseButtonPress) log << name + " after";
        });
    };
    watch(first, "first", false);
    watch(second, "second", false);
    first.setWinControl(&control);
    second.setWinControl(&control);
    press(control);
    EXPECT_EQ(log, (QStringList{"second before", "first before", "control", "second after", "first after"}));

    // A handled event never reaches the control, nor the older hook's before-handler.
    log.clear();
    TRxWindowHook third;
    watch(third, "third", true);
    third.setWinControl(&control);
    press(control);
    EXPECT_EQ(log, (QStringList{"third before", "third after", "second after", "first after"}));

    // An inactive hook sees nothing.
    log.clear();
    third.setActive(false);
    second.setActive(false);
    press(control);
    EXPECT_EQ(log, (QStringList{"first before", "control", "first after"}));
}

TEST(WindowHook, HooksSurviveANewNativeWindowAndForgetADestroyedControl) {
    test::app();
    auto* control = new QPushButton;
    control->show();
    TRxWindowHook hook;
    int seen = 0;
    QObject::connect(&hook, &TRxWindowHook::BeforeMessage, [&seen](QObject*, QEvent* e, bool&) {
        if (e->type() == QEvent::MouseButtonPress) ++seen;
    });
    hook.setWinControl(control);
    control->setWindowFlags(Qt::Tool);  // makes a new native window
    control->show();
    press(*control);
    EXPECT_EQ(seen, 1);
    delete control;
    EXPECT_EQ(hook.WinControl(), nullptr);
}

}  // namespace
}  // namespace kestrave
