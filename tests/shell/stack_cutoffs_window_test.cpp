// The stack cut-offs on the offscreen platform: the global cut-offs choose the stack list, the
// frame limit takes the slider's end, each alignment point's graph and sliders set the cuts the
// stack reads, and the stack-depth view.

#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

#include "shell/controllers/shell_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/registration_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "stack_page_support.h"
#include "support/page_test_access.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

constexpr float NotMeasured = 10000000.0f;

struct StackCutoffsTest : StackPageTest {
    StackCutoffsTest() { context.pipeline.commitFrameLimit({.ranks = Count - 1}); }

    // Three alignment points after the optimizer; point 2 has the quality (7 j) mod 16 at rank j
    // and the difference j / 2 + 1, but for the best of them (rank 9) that was never measured.
    void optimizedPoints() {
        editRun(context.pipeline).alignPoints.MultiPointMode = true;
        editRun(context.pipeline).alignPoints.Alignpoints = 3;
        editRun(context.pipeline).state.progstatus = TProgStatus::psOptimized;
        for (int j = 0; j < Count; ++j) {
            TFrameRec& rec = editRun(context.pipeline).model.FrameTable[j];
            rec.Slots[1].Difference = 1.0f;
            rec.Slots[2].Quality = static_cast<float>(7 * j % Count);
            rec.Slots[2].Difference = j == 9 ? NotMeasured : 0.5f * static_cast<float>(j) + 1.0f;
        }
        editRun(context.pipeline).model.FrameTable[4].Excluded = true;
    }
};

TEST_F(StackCutoffsTest, CutoffsChooseTheStackListAndTheLimitJumpsToTheSliderEnd) {
    // Differences 1..16 by rank; rank 12 was never measured and rank 3 is excluded.
    for (int j = 0; j < Count; ++j)
        editRun(context.pipeline).model.FrameTable[j].Slots[0].Difference = static_cast<float>(j + 1);
    editRun(context.pipeline).model.FrameTable[12].Slots[0].Difference = NotMeasured;
    editRun(context.pipeline).model.FrameTable[3].Excluded = true;
    editRun(context.pipeline).state.ProcessStage = TProcessStage::stFFTSizeSet;  // the labels, not the frame
    control<TRxSlider>(*form, "differencecutslider")->setValue(500);
    // The largest difference over the ranks 0..14 passes over the one never measured.
    EXPECT_EQ(control<QLabel>(*form, "RxLabel4")->text(),
              "Difference Cutoff (green line) (max =15.000) ( % 50)");

    // After a stack of the ranks 0..8: half of the largest 8 of the ranks 0..7 lets the ranks
    // 0..2 through, with the one at the cut-off 4 frames; rank 3 has 13 of the best 16.
    editRun(context.pipeline).state.ProcessStage = TProcessStage::stAligned;
    context.pipeline.commitFrameLimit({.stackBound = 8});
    control<TRxSlider>(*form, "StackSlider")->setValue(8);
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text(), "Stacksize: 4 Low quality :81.25%");
    // The stack graph is open while the stack is made (and shown again by it): the frame limit
    // shows the slider's end, the cut-off stays.
    control<TPCheck>(*form, "Showstackgraph")->setChecked(true);
    pieces(*form).stack->ShowstackgraphClick();
    control<TRxSpeedButton>(*form, "Stackbutton")->click();
    ASSERT_TRUE(context.pipeline.stack().exists());
    EXPECT_EQ(context.pipeline.stack().result.stackList, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), 8);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Tag(), 8);
    EXPECT_EQ(static_cast<int>(control<TRxSpinEdit>(*form, "LimitStack")->Value()), Count - 1);

    // The stack graph: quality and difference per rank, and the cut-offs' lines placed on it.
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "FastLineSeries1")->SeriesColor,
              QColor(Qt::red));
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "FastLineSeries1")->Count(), Count);
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "FastLineSeries2")->SeriesColor,
              QColor(Qt::green));
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "FastLineSeries2")->Count(), Count);
    const QRect plot = control<TChart>(*form, "Chart9")->plotRect();
    EXPECT_EQ(control<TRectShape>(*form, "StackQuality")->x(), plot.right() + 1);  // rank 8 of 8
    EXPECT_EQ(control<TRectShape>(*form, "Stackdifference")->y(),
              plot.top() + std::lrint(plot.height() * 501 / 1002.0));

    // A limit above the last stacked rank takes the slider's end, not that rank.
    control<TRxSpinEdit>(*form, "LimitStack")->setValue(10);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), Count - 1);
    EXPECT_EQ(static_cast<int>(control<TRxSpinEdit>(*form, "LimitStack")->Value()), Count - 1);
    control<TRxSpinEdit>(*form, "LimitStack")->setValue(5);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), 5);
}

// The stack graph's quality (relative to the best frame) has a scale of its own beside the
// differences' scale, as on the registration graph: the best frame's quality is drawn at the top
// of the plot however large the differences are.
TEST_F(StackCutoffsTest, TheStackGraphDrawsTheQualityOnItsOwnScale) {
    for (int j = 0; j < Count; ++j) {
        editRun(context.pipeline).model.FrameTable[j].Slots[0].Difference = 10.0f * static_cast<float>(j + 1);
        editRun(context.pipeline).model.FrameRanking[j].Key = static_cast<float>(Count - j);
    }
    control<TRxSlider>(*form, "StackSlider")->setValue(Count - 2);
    ASSERT_EQ(chartSeries(pieces(*form).registrationWindows, "FastLineSeries1")->values().front(), 1.0);

    TChart& chart = *control<TChart>(*form, "Chart9");
    const QImage drawn = chart.grab().toImage();
    const QRect plot = chart.plotRect();
    int highestRed = plot.bottom() + 1;
    for (int y = plot.top(); y <= plot.bottom() && highestRed > plot.bottom(); ++y)
        for (int x = plot.left(); x <= plot.left() + plot.width() / 4; ++x) {
            const QColor colour = drawn.pixelColor(x, y);
            if (colour.red() > 150 && colour.green() < 100 && colour.blue() < 100) highestRed = y;
        }
    EXPECT_LE(highestRed, plot.top() + 3) << "plot " << plot.top() << ".." << plot.bottom();
}

TEST_F(StackCutoffsTest, PointSlidersSetTheCutsTheStackReads) {
    optimizedPoints();
    control<TRxSpinEdit>(*form, "Alignmentpointstackgraph")->setValue(2);

    // Point 2's graph: the 15 frames that are not excluded, best quality first; the unmeasured
    // difference of the best shows as 0.
    const std::vector<double> sorted{15, 14, 13, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    EXPECT_EQ(chartSeries(pieces(*form).frameWindows, "FastLineSeries3")->SeriesColor, QColor(Qt::red));
    EXPECT_EQ(chartSeries(pieces(*form).frameWindows, "FastLineSeries3")->values(), sorted);
    EXPECT_EQ(chartSeries(pieces(*form).frameWindows, "FastLineSeries4")->SeriesColor, QColor(Qt::green));
    ASSERT_EQ(chartSeries(pieces(*form).frameWindows, "FastLineSeries4")->Count(), 15);
    EXPECT_EQ(chartSeries(pieces(*form).frameWindows, "FastLineSeries4")->values()[0], 0.0);  // rank 9
    EXPECT_EQ(chartSeries(pieces(*form).frameWindows, "FastLineSeries4")->values()[1], 2.0);  // rank 2
    EXPECT_EQ(chartSeries(pieces(*form).frameWindows, "Series7")->SeriesColor, QColor(Qt::yellow));
    EXPECT_EQ(chartSeries(pieces(*form).frameWindows, "Series7")->Count(), 0);
    EXPECT_EQ(control<TRxSlider>(*form, "QUALSliderMalign")->MaxValue(), 14);

    // Half the largest measured difference (8.5 at rank 15), and the fourth best quality.
    control<TRxSlider>(*form, "DifSliderMalign")->setValue(500);
    control<TRxSlider>(*form, "QUALSliderMalign")->setValue(3);
    const PointLimits& points = context.pipeline.points();
    EXPECT_EQ(points.PointDifferenceCut[2], 4.25f);
    EXPECT_EQ(points.PointQualityCut[2], 11.0f);
    EXPECT_EQ(points.PointDifferenceSlider[2], 500);
    EXPECT_EQ(points.PointQualitySlider[2], 3);
    // Of the four best, ranks 9 (0) and 2 (2.0) are within 4.25; 11 of the best 15.
    EXPECT_EQ(control<QLabel>(*form, "Stackframelabel")->text(),
              "Frames to stack:2\n\rLow quality :73.33%.Dif. cutoff  :4.25");
    const StackPointSet stacked = pieces(*form).stack->readStackOptions().Points;
    EXPECT_TRUE(stacked.MultiPointMode);
    EXPECT_EQ(stacked.Alignpoints, 3);
    EXPECT_EQ(stacked.PointDifferenceCut[2], 4.25f);
    EXPECT_EQ(stacked.PointQualityCut[2], 11.0f);

    // Point 3 with Multi-Quantity: only one frame reaches its quality floor, the slider still
    // has a range; back on point 2 the sliders return to where they were.
    control<TRadioGroup>(*form, "MultiAlign")->setItemIndex(1);
    editRun(context.pipeline).points.PointQualityCutInit[3] = 100.0f;
    editRun(context.pipeline).model.FrameTable[6].Slots[3].Quality = 200.0f;
    control<TRxSpinEdit>(*form, "Alignmentpointstackgraph")->setValue(3);
    EXPECT_EQ(chartSeries(pieces(*form).frameWindows, "FastLineSeries3")->Count(), 1);
    EXPECT_EQ(control<TRxSlider>(*form, "QUALSliderMalign")->MaxValue(), 1);
    control<TRadioGroup>(*form, "MultiAlign")->setItemIndex(0);
    control<TRxSpinEdit>(*form, "Alignmentpointstackgraph")->setValue(2);
    EXPECT_EQ(control<TRxSlider>(*form, "DifSliderMalign")->Value(), 500);
    EXPECT_EQ(control<TRxSlider>(*form, "QUALSliderMalign")->Value(), 3);
}

TEST_F(StackCutoffsTest, GraphWithPointsStartsFromTheLargestPointStack) {
    optimizedPoints();
    editRun(context.pipeline).state.ProcessStage = TProcessStage::stStackPage;
    editRun(context.pipeline).points.PointLimitCount[1] = 9;
    editRun(context.pipeline).points.PointLimitCount[2] = 12;
    editRun(context.pipeline).points.PointLimitCount[3] = 5;
    control<TPCheck>(*form, "Showstackgraph")->setChecked(true);
    pieces(*form).stack->ShowstackgraphClick();

    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->MaxValue(), 12);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), 12);
    EXPECT_FALSE(chartSeries(pieces(*form).registrationWindows, "FastLineSeries2")->Active);
    EXPECT_EQ(control<TRxSpinEdit>(*form, "Alignmentpointstackgraph")->MaxValue(), 3);
    // Every point follows the global cut-off within its own graph of 15 frames.
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(context.pipeline.points().PointLimitCount[p], 12) << p;
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text(), "Stacksize : 13 Frames");
}

TEST_F(StackCutoffsTest, StackDepthViewShowsTheWeightsAndThePoints) {
    control<TRxSpeedButton>(*form, "Stackbutton")->click();
    ASSERT_TRUE(context.pipeline.stack().exists());
    editRun(context.pipeline).alignPoints.Alignpoints = 2;
    editRun(context.pipeline).alignPoints.PointPos[1] = {10, 12};
    editRun(context.pipeline).alignPoints.PointFFTSize[1] = 8;
    control<TPCheck>(*form, "Showalignpoints")->setChecked(true);
    control<TRxSpeedButton>(*form, "Showstackcount")->click();

    // Every pixel took all 16 frames: the largest weight, white; point 1's box in lime.
    const Bitmap24& depth = context.pipeline.wavelet().ProcessPicture;
    ASSERT_EQ(depth.width(), Width);
    const std::uint8_t* inside = depth.pixel(30, 25);
    EXPECT_EQ(std::vector<int>(inside, inside + 3), (std::vector<int>{255, 255, 255}));
    const std::uint8_t* edge = depth.pixel(6, 14);  // the box's left side, x = 10 - 4
    EXPECT_EQ(std::vector<int>(edge, edge + 3), (std::vector<int>{0, 255, 0}));
}

}  // namespace

}  // namespace kestrave::test

namespace kestrave::test {

TEST_F(StackCutoffsTest, PointCutoffsAreRedrawnOnTheOptimizePageAndOpenedForANewPass) {
    optimizedPoints();
    RunState& run = editRun(context.pipeline);
    run.state.ProcessStage = TProcessStage::stStackPage;
    run.state.activepage = TMainTab::tabStack;
    const int remembered[] = {0, 5, 3, 7};
    for (int p = 1; p <= 3; ++p) run.points.PointQualitySlider[static_cast<std::size_t>(p)] = remembered[p];

    // Back on the Optimize page each point's cut is applied again from its remembered position
    // (point 2's fourth best quality is 11), and the stack slider reaches to the last point's.
    pieces(*form).shell->selectTab(1);
    EXPECT_EQ(context.pipeline.points().PointQualityCut[2], 11.0f);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->MaxValue(), 7);

    // Before a second alignment pass every point's cut opens to its whole graph of 15 frames.
    pieces(*form).stack->openPointCutoffs();
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(context.pipeline.points().PointQualitySlider[p], 14) << p;
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->MaxValue(), 14);
}

}  // namespace kestrave::test
