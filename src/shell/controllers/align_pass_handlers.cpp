// The Align button: the alignment pass over every frame and the window after it; and "Limit", which
// keeps the best of the ranked frames.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "frames/frame_positions.h"
#include "registration/alignment_point_types.h"
#include "registration/frame_limit_values.h"
#include "shell/area_stages.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/align_page_options.h"
#include "shell/controllers/align_window.h"
#include "shell/controllers/point_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/registration_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pass_status.h"
#include "shell/shell_ports.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "shell/unsaved_result.h"
#include "shell/window_entry_points.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr int SingleBoxMethod = 0;
constexpr int OptimizeTab = static_cast<int>(TMainTab::tabOptimize);
constexpr int StackTab = static_cast<int>(TMainTab::tabStack);
// The heights of the stack graph window with one alignment box and with several points.
constexpr int StackGraphHeightSingle = 328;
constexpr int StackGraphHeightPoints = 609;

// The first `count` entries of the ranking's selection, ticked as selected.
void fillCheckList(QListWidget& list, const std::vector<SelectionEntry>& entries, std::size_t count) {
    const QSignalBlocker quiet(&list);
    list.clear();
    for (std::size_t j = 0; j < std::min(count, entries.size()); ++j) {
        auto* item = new QListWidgetItem(QString::fromStdString(entries[j].name));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entries[j].checked ? Qt::Checked : Qt::Unchecked);
        list.addItem(item);
    }
}

}  // namespace

void AlignController::AlignallButtonClick() {
    const LongOperation operation(ports_.operations);
    if (!operation || !inputLoaded()) return;
    AlignPage& page = parts_.page;
    if (!pipeline_.state().BatchMode) page.PreviewSlider->setFocus();
    // Multi-point alignment places and aligns its points itself: the button ends the placing and
    // opens the zoom window, where the points' pass shows each point's area as it comes to it.
    if (page.Alignmethod->ItemIndex() == AlignMethodMultipoint) {
        FrameWindows& windows = parts_.frameWindows;
        windows.differencecutslider->setValue(1000);
        parts_.stackPage.uncheckStackGraph();
        page.Freebox->setChecked(false);
        page.Alignbutton->setEnabled(true);
        pipeline_.stopPlacingPoints();
        parts_.tools.Zoomwindow->show();
        return;
    }
    // "None" aligns nothing.
    if (page.Alignmethod->ItemIndex() != SingleBoxMethod) return;
    if (!mayRunPassOverResult(pipeline_, ports_, parts_.stages, PassOverResult::Align)) return;
    const ProgramState& state = pipeline_.state();
    points_->showBoxArea(state.FeatureX, state.FeatureY);
    // The window while frames are aligned: only Cancel, Pause and the halt button stay usable.
    RegistrationWindows& charts = parts_.registrationWindows;
    page.glPageControl1->setEnabled(false);
    parts_.tabs.setEnabled(false);
    charts.Series5->Title = "Power spectrum";
    charts.Series6->Clear();
    charts.Series6->ShowInLegend = false;
    parts_.frameWindows.Chart8->clearTexts();
    page.showPlainPreview();
    page.Previewzoom->setChecked(false);
    page.BoxOutline->hide();
    parts_.tools.Registrationgraphwindow->setWindowTitle(
        QString::fromStdString("Initial alignment running " + pipeline_.optimizer().RegistrationCaption));
    parts_.entries.selectTab(0);
    page.glPageControl1->setCurrentIndex(0);
    page.ShowFFTbox->setChecked(false);
    parts_.tools.FFTWindow->hide();
    // While the pass ranks them, every frame is among the ranked ones.
    pipeline_.commitFrameLimit({.ranks = page.lastFrameIndex()});
    page.AlignSlider->show();
    page.Framelabel->setText("FFT spectrum ");
    page.Framelabel->show();

    AlignmentPassResult result;
    try {
        const AlignmentPassOptions options = readPassOptions();
        AlignPorts ports = window_->ports();
        result = pipeline_.alignAllFrames(options, page.Manualalignbox->Checked(),
                                          readSourceOptions(parts_.page, pipeline_), ports);
    } catch (const KestraveError& error) {
        ports_.messages().error("Error", error.what());
        result.end = PassEnd::Failed;
    }
    page.glPageControl1->setEnabled(true);
    parts_.tabs.setEnabled(true);
    alignmentEnded(result);
    if (result.end == PassEnd::Finished && automaticProcessing(page, pipeline_)) processAutomatically();
}

void AlignController::processAutomatically() {
    parts_.stages.limitFrames();
    parts_.stages.optimizeAndStack();
    // Only a stack made here opens every page; a cancelled run leaves the pages where it stopped.
    if (pipeline_.state().progstatus == TProgStatus::psStacked) pipeline_.finishOptimizeAndStack();
}

void AlignController::alignmentEnded(const AlignmentPassResult& result) {
    pipeline_.endPass(result.end);
    const bool finished = result.end == PassEnd::Finished;
    if (finished)
        alignmentFinished(result);
    else
        alignmentStopped();
    showPassEnd(parts_.progressBar, ports_.progress(), 3, "Alignment",
                finished                           ? PassOutcome::Finished
                : result.end == PassEnd::Cancelled ? PassOutcome::Cancelled
                                                   : PassOutcome::Failed);
}

void AlignController::alignmentStopped() {
    // The ranking is gone with the pass: nothing is limited, optimized or stacked before a pass
    // ranks the frames again.
    parts_.page.Setlimitbutton->setEnabled(false);
    if (pipeline_.registration().Image1.empty()) return;
    pipeline_.showReferencePicture();
    window_->showPreview(bitmapView(pipeline_.input().PreviewBitmap));
}

void AlignController::alignmentFinished(const AlignmentPassResult& result) {
    AlignPage& page = parts_.page;
    FrameWindows& windows = parts_.frameWindows;
    const RankingOutcome& ranking = result.ranking;
    if (result.darkframeSwitchedOff) page.Usedarkframe->setChecked(false);
    if (result.flatfieldSwitchedOff) page.UseFlatfield->setChecked(false);
    // Frames of several AVI files are stacked on a canvas that holds every file's shifts.
    if (result.expandStack) parts_.stackPage.expandStack();

    window_->showFrame(0);
    // A slider's range cannot end at its start: one ranked frame still reaches position 1.
    const int lastRank = ranking.lastRank;
    const int sliderEnd = std::max(lastRank, 1);
    pipeline_.commitFrameLimit({.ranks = sliderEnd, .countRange = sliderEnd, .stackBound = lastRank});
    windows.QUALSliderMalign->setMaxValue(sliderEnd);
    windows.LimitStack->setValue(lastRank);
    fillCheckList(*windows.SelectFramesChecklist, ranking.selection, ranking.selection.size());
    fillCheckList(*windows.StackFramesList, ranking.selection, static_cast<std::size_t>(lastRank) + 1);
    window_->showFrame(ranking.cutoffPosition);
    // The pass measured the graph when the Optimize page asked for it.
    if (result.graph) DrawRegistrationGraph();

    page.Setlimitbutton->setEnabled(true);
    markButton(*page.Showbuttonp1, *page.Setlimitbutton, -2);
    windows.Showgraphpointer->move(graphPointerLeft(page.PreviewSlider->Value(),
                                                    page.PreviewSlider->MaxValue(), windows.Chart8->width()),
                                   windows.Showgraphpointer->y());
    windows.Showgraphpointer->show();
    if (page.Manualalignbox->Checked()) ports_.messages().inform("Alignment", "Manual alignment finished");
    parts_.tools.Zoomwindow->hide();
    parts_.registrationWindows.Showgraph1pointer->hide();
    // Showing the ranked frames wrote their numbers over the pass's last word.
    ports_.progress().setStatus(2, "Initial alignment done");
    parts_.stackPage.uncheckStackGraph();
}

void AlignController::SetLimitClick() {
    const LongOperation operation(ports_.operations);
    AlignPage& page = parts_.page;
    // Without ranked frames (a cancelled pass) there is nothing to limit.
    if (!operation || !page.limitAllowed()) return;
    FrameWindows& windows = parts_.frameWindows;
    OptimizePage& optimizePage = parts_.optimizePage;
    ports_.progress().setCancelRequested(false);
    const int Alignpoints = pipeline_.alignPoints().Alignpoints;
    ToolWindow& graph = *parts_.tools.Stackgraphpanel;
    if (graph.isVisible())
        graph.resize(graph.width(), Alignpoints < 2 ? StackGraphHeightSingle : StackGraphHeightPoints);

    FrameLimitInput input;
    input.PreviewSliderValue = page.previewPosition();
    input.PreviewSliderMax = pipeline_.input().lastIndex;
    input.AlignMethodIndex = page.alignMethodIndex();
    input.MultiQuantity = optimizePage.multiQuantity();
    input.Alignpoints = Alignpoints;
    input.OptimizeQualitySpin = page.qualityLimit();
    input.Refframes = optimizePage.referenceFrames();
    input.checked = windows.frameChecks();
    // The limit, the stack count and its range come in force together; the sliders show them.
    const FrameLimitResult result = pipeline_.limitFrames(input);

    if (result.OptimizeQualitySpin) page.setQualityLimit(*result.OptimizeQualitySpin);
    if (result.checked) windows.showFrameChecks(*result.checked);
    windows.showStackChecks(result.stackFramesChecked);
    optimizePage.showOptimizerChart(result.qualities, result.differences, result.frameIncrement);
    optimizePage.endFrameAxisAt(static_cast<double>(result.qualities.size()));
    // The optimizer's chart has its first values now: it joins the registration graph.
    if (parts_.tools.Registrationgraphwindow->isVisible()) parts_.tools.RegiStration2->show();

    const int last = result.sliderMaximum;
    windows.setLimitStackMax(last);
    windows.setPointCutoffMax(last);
    if (result.Refframes) optimizePage.setReferenceFrames(static_cast<int>(*result.Refframes));
    parts_.stackPage.setStackButtonEnabled(true);
    parts_.entries.selectTab(OptimizeTab);
    // The Optimize page starts from the best frame.
    page.setPreviewPosition(0);
    if (result.ToStackPage) parts_.entries.selectTab(StackTab);
    optimizePage.showFramesLimited(page.previewPicture());
    ports_.progress().setStatus(2, result.statusText);
}

CreateAlignSettings AlignController::referenceSettings() const {
    return {.AlignMethodIndex = parts_.page.alignMethodIndex(),
            .MultiPointMode = pipeline_.alignPoints().MultiPointMode};
}

void AlignController::applyReferenceSettings(const CreateAlignSettings& settings) {
    pipeline_.setMultiPointMode(settings.MultiPointMode);
    parts_.page.setAlignMethodIndex(settings.AlignMethodIndex);
}

void AlignController::limitReferenceFrames(int last, bool wholeLimit) {
    if (wholeLimit)
        pipeline_.commitFrameLimit(
            {.ranks = last, .countRange = last, .stackBound = last, .stackCount = last});
    else
        pipeline_.commitFrameLimit({.ranks = last, .countRange = last});
    parts_.frameWindows.setLimitStackMax(last);
    if (wholeLimit) parts_.page.showRank(last);
}

}  // namespace kestrave
