// The curve editors of the wavelet page's tool windows driven with the mouse on the offscreen
// platform: edits change the curve and the release the table the renderer reads; gamma curves go
// to a file and back; a bad file changes nothing; the range slider sets the render levels.

#include <QTest>
#include <fstream>

#include "enhance/curve_editing.h"
#include "shell/pages/curve_graph.h"
#include "shell/pages/histogram_windows.h"
#include "shell/pages/named_control.h"
#include "shell/tool_windows.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/range_slider.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

std::vector<SplinePoint> pointsOf(const TBSpline& spline) {
    std::vector<SplinePoint> points;
    for (int i = 1; i <= spline.NumberOfPoints(); ++i) points.push_back(spline.Point(i));
    return points;
}

}  // namespace

struct CurveEditorTest : WaveletPageTest {
    CurveEditorTest() {
        wavelet.createCurveObjects();
        wavelet.GammaSplineGraphDblClick();
        graph.show();
    }
    // The table that the curve as it stands builds.
    std::vector<double> tableOf(const TBSpline& spline) {
        std::vector<double> table(GammaTableLast + 1, 0.0);
        buildCurveTable(spline, GammaCurveShape, table);
        return table;
    }
    std::vector<double> gammaTable() const {
        return {context.pipeline.wavelet().GammaTable->begin(), context.pipeline.wavelet().GammaTable->end()};
    }
    CurveGraph& graph = *control<CurveGraph>(*tools.gamma, "GammaSplineGraph");
    TBSpline& curve = editRun(context.pipeline).curves.GammaSpline;
};

TEST_F(CurveEditorTest, MouseEditsChangeTheCurveAndTheReleaseBuildsTheTable) {
    EXPECT_EQ(gammaTable(), tableOf(curve)) << "the reset builds the default curve's table";
    QTest::mouseClick(&graph, Qt::RightButton, {}, QPoint(60, 200));
    ASSERT_EQ(curve.NumberOfPoints(), 4);
    EXPECT_EQ(curve.Point(2), (SplinePoint{60, 200}));

    // Drag the new point up; the release rebuilds the table from the edited curve.
    QTest::mousePress(&graph, Qt::LeftButton, {}, QPoint(60, 200));
    QTest::mouseMove(&graph, QPoint(62, 190));
    QTest::mouseRelease(&graph, Qt::LeftButton, {}, QPoint(62, 190));
    EXPECT_EQ(curve.Point(2), (SplinePoint{62, 190}));
    EXPECT_TRUE(curve.Interpolated());
    EXPECT_TRUE(curve.ShowPoints);
    EXPECT_EQ(gammaTable(), tableOf(curve));

    // Ctrl + left deletes it again; an end point is never deleted.
    QTest::mouseClick(&graph, Qt::LeftButton, Qt::ControlModifier, QPoint(65, 195));
    QTest::mouseClick(&graph, Qt::LeftButton, Qt::ControlModifier, QPoint(0, 255));
    EXPECT_EQ(pointsOf(curve), (std::vector<SplinePoint>{{0, 255}, {128, 128}, {255, 0}}));

    // The tone graph edits the tone curve into the tone table.
    CurveGraph& toneGraph = *control<CurveGraph>(*tools.tonemap, "Tonemapgraph");
    toneGraph.show();
    QTest::mouseClick(&toneGraph, Qt::RightButton, {}, QPoint(200, 20));
    EXPECT_EQ(context.pipeline.curves().ToneSpline.NumberOfPoints(), 4);
    std::vector<double> tone(ToneCurveLast + 1, 0.0);
    buildCurveTable(context.pipeline.curves().ToneSpline, ToneCurveShape, tone);
    const auto& toneCurve = context.pipeline.wavelet().toneTables->ToneCurve;
    EXPECT_EQ(std::vector<double>(toneCurve.begin(), toneCurve.end()), tone);
}

TEST_F(CurveEditorTest, AGammaCurveGoesToAFileAndBackAndABadFileChangesNothing) {
    QTest::mouseClick(&graph, Qt::RightButton, {}, QPoint(40, 230));
    const auto saved = scripted.home.path() / "curve.kgs";
    dialogs->willChoose(saved);
    wavelet.savegammabuttonClick();
    wavelet.GammaSplineGraphDblClick();
    dialogs->willChoose(saved);
    wavelet.LoadgammabuttonClick();
    EXPECT_EQ(pointsOf(curve), (std::vector<SplinePoint>{{0, 255}, {40, 230}, {128, 128}, {255, 0}}));
    EXPECT_TRUE(messages.shown.empty());
    const std::vector<double> table = gammaTable();

    for (const char* text : {"3\r\n0\r\n255\r\n128\r\n", "1\r\n0\r\n0\r\n", "9000\r\n"}) {
        const auto bad = scripted.home.path() / "bad.kgs";
        std::ofstream(bad, std::ios::binary) << text;
        dialogs->willChoose(bad);
        wavelet.LoadgammabuttonClick();
        EXPECT_EQ(curve.NumberOfPoints(), 4) << text;
        EXPECT_EQ(gammaTable(), table) << text;
    }
    EXPECT_EQ(messages.shown.size(), 3u);

    // A curve lying on the bottom edge keeps the table in use.
    const auto flat = scripted.home.path() / "flat.kgs";
    std::ofstream(flat, std::ios::binary) << "2\r\n0\r\n255\r\n255\r\n255\r\n";
    dialogs->willChoose(flat);
    wavelet.LoadgammabuttonClick();
    EXPECT_EQ(curve.NumberOfPoints(), 2);
    EXPECT_EQ(gammaTable(), table);
}

TEST_F(CurveEditorTest, TheRangeSliderSetsTheLevelsAndTheSpinsFollow) {
    TmkRangeSlider& slider = *control<TmkRangeSlider>(*form, "mkRangeSlider1");
    pieces(*form).tools.HistoWindow->show();
    slider.setFocus();
    QApplication::setActiveWindow(pieces(*form).tools.HistoWindow);
    // An idle press on a thumb, then changes by code: they still take effect.
    QTest::mouseClick(&slider, Qt::LeftButton, {}, slider.minThumbRect().center());
    slider.setMinPosition(256);
    slider.setMaxPosition(768);
    EXPECT_FLOAT_EQ(context.pipeline.state().LevelLo, 63.75f);
    EXPECT_FLOAT_EQ(context.pipeline.state().LevelHi, 191.25f);
    EXPECT_EQ(control<QLabel>(*form, "Label4")->text().toStdString(), "  lo: 64");
    EXPECT_EQ(static_cast<int>(control<TRxSpinEdit>(*form, "LovalSpin")->Value()), 64)
        << "the spins follow the slider in use";

    // A level typed into a spin moves its thumb: 100 of 0..255 is position 402 of 1024.
    control<TRxSpinEdit>(*form, "LovalSpin")->setFocus();
    control<TRxSpinEdit>(*form, "LovalSpin")->setValue(100);
    EXPECT_EQ(slider.MinPosition(), 402);
    EXPECT_FLOAT_EQ(context.pipeline.state().LevelLo, 402 * 255.0f / 1024);

    control<TPCheck>(*form, "Log")->setChecked(true);
    wavelet.LogClick();
    EXPECT_TRUE(control<HistogramView>(*form, "HistogramView")->logScale());
    EXPECT_TRUE(control<HistogramView>(*form, "RGBHistogramView")->logScale());

    wavelet.Button1Click();
    EXPECT_EQ(context.pipeline.state().LevelLo, 0.0f);
    EXPECT_EQ(context.pipeline.state().LevelHi, 255.0f);
    EXPECT_EQ(slider.MinPosition(), 0);
    EXPECT_EQ(slider.MaxPosition(), 1023);
    EXPECT_EQ(static_cast<int>(control<TRxSpinEdit>(*form, "Hivalspin")->Value()), 255);
}

TEST_F(CurveEditorTest, ActivatingToneMappingSetsItsSlidersAndTheGraphSwitchChoosesWhichShow) {
    TonemapPanel& tone = *tools.tonemap;
    control<TPCheck>(page, "Colourprocess2")->setChecked(true);
    control<TPCheck>(tone, "ActiveTonemap")->setChecked(true);
    wavelet.ActiveTonemapClick();
    EXPECT_EQ(control<TRxSlider>(tone, "RxSlider2")->Value(), 1125);
    // The bias spin holds two decimals.
    EXPECT_NEAR(static_cast<double>(control<TRxSpinEdit>(tone, "RxSpinEdit5")->Value()), 666 * 0.0015, 0.005);
    EXPECT_FALSE(control<TRxSlider>(tone, "RxSlider1")->isHidden());
    // Colour input offers the light and colour sliders, whether the curve is in use or not; only
    // ticking the curve's box hides them.
    ASSERT_TRUE(control<TPCheck>(tone, "Tonegraph")->Checked());
    EXPECT_FALSE(control<TRxSlider>(tone, "RxSlider3")->isHidden());
    wavelet.TonegraphClick();
    EXPECT_TRUE(control<TRxSlider>(tone, "RxSlider3")->isHidden());
    EXPECT_TRUE(control<TRxSlider>(tone, "RxSlider4")->isHidden());
    control<TPCheck>(tone, "ActiveTonemap")->setChecked(false);
    wavelet.ActiveTonemapClick();
    EXPECT_TRUE(control<TRxSlider>(tone, "RxSlider1")->isHidden());
    EXPECT_FALSE(control<TRxSlider>(tone, "RxSlider4")->isHidden());
}

TEST_F(CurveEditorTest, TheCurveWindowsFitTheSmallestScreenWithTheirGraphsWhole) {
    for (ToolWindow* window : {pieces(*form).tools.Gammawindow, pieces(*form).tools.Tonemapwindow,
                               pieces(*form).tools.HistoWindow}) {
        window->show();
        QApplication::processEvents();
        const QSize size = window->frameGeometry().size();
        EXPECT_LE(size.width(), 1024) << window->objectName().toStdString();
        EXPECT_LE(size.height(), 768) << window->objectName().toStdString();
        for (QWidget* part : window->findChildren<QWidget*>()) {
            if (!qobject_cast<CurveGraph*>(part) && !qobject_cast<TmkRangeSlider*>(part)) continue;
            const QRect inWindow(part->mapTo(window, QPoint(0, 0)), part->size());
            EXPECT_TRUE(window->rect().contains(inWindow)) << part->objectName().toStdString();
            EXPECT_EQ(part->size(), part->maximumSize()) << "squeezed: " << part->objectName().toStdString();
        }
        window->hide();
    }
}

}  // namespace kestrave::test
