// The main window's roll-up tool windows, its page strip and the Align page's gradient on the
// offscreen platform: what the table sets, rolling, closing through the caption bar, a dragged
// window keeping its place, and the colours drawn.

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "shell/controllers/shell_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/named_control.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "shell_test_support.h"
#include "widgets/bevel.h"
#include "widgets/check_box.h"

namespace kestrave::test {

namespace {

void dragCaption(ToolWindow& window, QPoint from, QPoint to) {
    QWidget* bar = window.CaptionBar;
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, bar->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

TEST_F(ShellWindowTest, ToolWindowsAreRollupsNamedCaptionedAndSizedByTheirTable) {
    struct Case {
        const char* name;
        const char* caption;
        int tag;
        int dropHeight;
        bool closeButton = true;
    };
    const Case cases[] = {
        {"Registrationgraphwindow", "Registration ", 901, 273},
        {"AngleDist", "Angle & Distance", 901, 25},
        {"Registerhaltwindow", "Break", 901, 57},
        {"Zoomwindow", "Zoom", 109, 256},
        {"SelectFrameswindow", "Framelist", 901, 505},
        {"FFTWindow", "FFT Spectrum", 901, 337},
        {"Multialignwindow", "Multi-Alignment Window", 901, 473, false},
        {"RegiStration2", "Registration ", 902, 257},
        {"movements", "movements", 902, 222},
        {"StackFrameswindow", "Stacklist", 903, 529},
        {"Stackgraphpanel", "Stack graph", 903, 609},
        {"gbRollup1", "Show additional alignment graphs", 303, 275, false},
        {"Sigmaevents", "Sigma event recording", 903, 537},
        {"Alignmentpointswindow", "Alignmentpoints", 903, 313},
        {"Filterwindow", "Wavelet filter", 904, 377},
        {"WaveZoom", "Zoom", 904, 313},
        {"HistoRGBWindow", "RGB balance", 904, 361},
        {"HistoWindow", "Histogram", 904, 249},
        {"Tonemapwindow", "Tonemap", 904, 309},
        {"Gammawindow", "Gamma", 904, 401},
        {"HLSwindow", "Hue Saturation Lightness", 905, 489},
        {"MultiAlignprogresswindow", "Multi Align Progress", 910, 97},
        {"Imageinfowindow", "Image information (caption)", 910, 313},
        {"Shrinkview", "Resized image", 910, 417},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto* window = form->findChild<TgbRollup*>(c.name);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->Caption(), c.caption);
        EXPECT_EQ(window->CaptionBar->text(), c.caption);
        EXPECT_EQ(window->Tag(), c.tag);
        EXPECT_EQ(window->DropHeight(), c.dropHeight);
        EXPECT_EQ(window->ShowCloseButton(), c.closeButton);
        const bool nested = c.tag == 303;
        EXPECT_EQ(window->CaptionBarColor(),
                  nested ? window->palette().color(QPalette::Button) : QColor(192, 220, 192));
        EXPECT_EQ(window->Font().pixelSize(), nested ? 13 : 11);
        EXPECT_EQ(window->CaptionShowHint(), c.tag == 910);
    }
    // A caption set at run time shows on the bar.
    pieces(*form).tools.FFTWindow->setWindowTitle("FFT spectrum 64x64");
    EXPECT_EQ(pieces(*form).tools.FFTWindow->CaptionBar->text(), "FFT spectrum 64x64");
    EXPECT_EQ(rollupSetting("Registerhaltwindow")->dropHeight, 57);
    EXPECT_FALSE(rollupSetting("Nowindow"));
}

TEST_F(ShellWindowTest, AToolWindowRollsClosesThroughItsBarAndStaysWhereItWasDragged) {
    form->show();
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    StackPage& stack = *pieces(*form).stackPage;
    pieces(*form).shell->selectTab(2);
    control<TPCheck>(stack, "Showstackgraph")->setChecked(true);
    pieces(*form).stack->ShowstackgraphClick();
    ToolWindow& window = *pieces(*form).tools.Stackgraphpanel;
    ASSERT_TRUE(window.isVisible());
    const int dropped = window.height();

    QSignalSpy rolledUp(&window, &TgbRollup::OnRollUp);
    QSignalSpy rolledDown(&window, &TgbRollup::OnRollDown);
    QTest::mouseClick(window.RollUpButton, Qt::LeftButton);
    EXPECT_EQ(window.height(), RolledUpHeight);
    EXPECT_EQ(rolledUp.count(), 1);

    // Dragged by its bar, then away with its page and back: rolled up where the user put it.
    const QPoint before = window.pos();
    dragCaption(window, QPoint(40, 10), QPoint(100, 40));
    const QPoint dragged = before + QPoint(60, 30);
    EXPECT_EQ(window.pos(), dragged);
    pieces(*form).shell->selectTab(0);
    EXPECT_FALSE(window.isVisible());
    pieces(*form).shell->selectTab(2);
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), dragged);
    EXPECT_EQ(window.height(), RolledUpHeight);

    QTest::mouseClick(window.RollDownButton, Qt::LeftButton);
    EXPECT_EQ(window.height(), dropped);
    EXPECT_EQ(rolledDown.count(), 1);

    // The bar's close button runs the window's close handler, which raises its check box.
    QSignalSpy closed(&window, &TgbRollup::OnRollClose);
    QTest::mouseClick(window.CloseButton, Qt::LeftButton);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(control<TPCheck>(stack, "Showstackgraph")->Checked());
}

TEST(NestedRollup, TheWindowGivesUpTheRoomOfARolledUpInnerRollupAndTakesItBack) {
    app();
    QWidget owner;
    ToolWindow window(&owner, "Stackgraphpanel", {});
    auto* above = new QLabel("above");
    above->setMinimumHeight(50);
    window.Body->addWidget(above);
    TgbRollup* inner = nestedRollup(window, "gbRollup1");
    auto* graphs = new QLabel("graphs");
    graphs->setMinimumHeight(240);
    (new QVBoxLayout(inner->Client()))->addWidget(graphs);
    window.Body->addWidget(inner);
    inner->show();
    window.show();
    window.resize(300, 400);
    QApplication::processEvents();
    EXPECT_EQ(inner->Caption(), "Show additional alignment graphs");
    EXPECT_EQ(inner->Tag(), 303);
    EXPECT_FALSE(inner->Moveable());
    EXPECT_FALSE(inner->ShowCloseButton());

    QTest::mouseClick(inner->RollUpButton, Qt::LeftButton);
    EXPECT_EQ(inner->height(), RolledUpHeight);
    const int rolledUp = window.height();
    EXPECT_LT(rolledUp, 400);
    EXPECT_GE(rolledUp, window.minimumSizeHint().height());
    QTest::mouseClick(inner->RollDownButton, Qt::LeftButton);
    EXPECT_EQ(window.height(), 400);
    EXPECT_TRUE(graphs->isVisible());
}

TEST(PageStrip, UnselectedTabsArePaleRedAndTheChosenOnePaleGreenBetweenSideBevels) {
    app();
    TabStrip tabs;
    for (const char* caption : {"Align", "Optimize", "Stack", "Wavelet", "Final", "About"})
        tabs.addTab(caption);
    tabs.resize(617, 22);
    tabs.setCurrentIndex(1);
    const QImage image = tabs.grab().toImage();
    for (int tab = 0; tab < tabs.count(); ++tab) {
        SCOPED_TRACE(tab);
        const QRect at = tabs.tabRect(tab);
        EXPECT_EQ(at.width(), 70);
        // Near the tab's left edge, clear of the caption and the bevels.
        const QColor fill = image.pixelColor(at.left() + 5, at.center().y());
        EXPECT_EQ(fill, tab == 1 ? QColor(192, 220, 192) : QColor(221, 160, 160));
    }
    // The unselected tab's lowered bevel: dark at its left side, light at its right.
    const QRect first = tabs.tabRect(0);
    EXPECT_EQ(image.pixel(first.left() + 1, 10), tabs.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(first.right() - 2, 10), tabs.palette().color(QPalette::Light).rgb());
}

TEST_F(ShellWindowTest, TheAlignPagesFrontPanelFadesFromTealToPaleGreen) {
    form->resize(1024, 768);
    form->show();
    TglBevel& bevel = *control<TglBevel>(*form, "glBevel1");
    ASSERT_TRUE(bevel.isVisible());
    ASSERT_GE(bevel.height(), 8);
    const QImage image = bevel.grab().toImage();
    const int x = bevel.width() / 2;
    EXPECT_TRUE(near(image.pixelColor(x, 1), QColor(0, 128, 128), 24))
        << image.pixelColor(x, 1).name().toStdString();
    const int last = bevel.height() - 3;  // above the bevel's light bottom line
    EXPECT_TRUE(near(image.pixelColor(x, last), QColor(192, 220, 192), 24))
        << image.pixelColor(x, last).name().toStdString();
}

}  // namespace kestrave::test
