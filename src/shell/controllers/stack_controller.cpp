#include "shell/controllers/stack_controller.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "frames/frame_source_options.h"
#include "frames/input_plan.h"
#include "shell/busy_cursor.h"
#include "shell/controllers/align_page_options.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pass_status.h"
#include "shell/shell_ports.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "shell/window_entry_points.h"
#include "stacking/stack_style_values.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr int OptimizeTab = static_cast<int>(TMainTab::tabOptimize);
constexpr int StackTab = static_cast<int>(TMainTab::tabStack);
// A stack larger than the view is scrolled to the feature: half the view's width and height.
constexpr int ScrollWidthLimit = 817;
constexpr int ScrollHeightLimit = 625;
constexpr int ScrollHalfWidth = 408;
constexpr int ScrollHalfHeight = 312;

}  // namespace

StackOptions StackController::readStackOptions() const {
    const StackPage& page = parts_.stackPage;
    StackOptions options;
    const FrameWindows& windows = parts_.frameWindows;
    options.StackSlider = {parts_.pipeline.stackCount().value, parts_.pipeline.frameLimit()};
    options.differencecutslider = windows.differencecutslider->Value();

    options.Expandstack = page.Expandstack->Checked();
    options.Resampled = page.Resampled->Checked();
    options.Drizzle2 = parts_.pipeline.drizzled();
    options.Drizzling = page.Drizzling->Checked();
    options.ResampleFactor = page.resampleFactor();
    options.ResampleMethod = std::max(page.ResampleMethod->currentIndex(), 0);
    options.Drizzlefact = static_cast<float>(page.Drizzlefact->Value());
    options.Pixfrac = static_cast<float>(page.Pixfrac->Value());

    parts_.alignPage.readGeneralOptions(options);
    options.IntensBalance = page.IntensBalance->Checked();

    options.Statistical = page.Statistical->Checked();
    options.SigmaFinalPass = parts_.pipeline.stack().result.SigmaFinalPass;
    options.RejectMax = page.RejectMax->Checked();
    options.sigmahi = page.sigmahi->Checked();
    options.Sigmalo = page.Sigmalo->Checked();
    options.Statisticspin = static_cast<float>(page.Statisticspin->Value());

    options.Macorrect = page.Macorrect->Checked();
    options.FastStack = page.FastStack->Checked();
    parts_.pointWindows.readSeams(options);
    options.Points = readStackPoints();

    options.Histostretch = page.Histostretch->Checked();
    options.Stackfilterset = page.Stackfilterset->Checked();
    // What the input is: debayered or raw, and the sample depth the readers found.
    options.DebayerEnabled = parts_.pipeline.debayer().DebayerEnabled;
    options.FitsBitpix = parts_.pipeline.input().readers.FitsBitpix;
    options.SerPixelDepth = parts_.pipeline.input().readers.SerPixelDepth;
    options.SerStretch = parts_.pipeline.model().SerStretch;
    options.MasterFrameMode = parts_.pipeline.state().MasterFrameMode;
    options.Kernel3x3 = parts_.pipeline.state().Kernel3x3;
    options.StackLabelPrefix = page.stackCaptionPrefix();
    return options;
}

StackPointSet StackController::readStackPoints() const {
    const AlignmentPoints& arrays = parts_.pipeline.alignPoints();
    StackPointSet points;
    points.MultiPointMode = arrays.MultiPointMode && arrays.Alignpoints > 1;
    points.MultiQuantity = parts_.optimizePage.multiQuantity();
    points.Alignpoints = arrays.Alignpoints;
    points.PointPos = arrays.PointPos;
    points.PointEnabled = arrays.PointEnabled;
    points.StopPlacing = arrays.StopPlacing;
    points.PointQualityCut = parts_.pipeline.points().PointQualityCut;
    points.PointDifferenceCut = parts_.pipeline.points().PointDifferenceCut;
    return points;
}

StackController::StackController(const StackControllerParts& parts) : parts_(parts) {
    StackPage& page = parts.stackPage;
    connect(page.Showstackgraph, &TPCheck::OnClick, this, &StackController::ShowstackgraphClick);
    connect(page.Stackbutton, &QPushButton::clicked, this, &StackController::StackButtonClick);
    const FrameWindows& windows = parts.frameWindows;
    // A move of the slider, the user's or the count shown, is the stack count's (before the slider's
    // handler runs).
    connect(windows.StackSlider, &TRxSlider::OnChange, this,
            [this] { parts_.pipeline.setStackCount(parts_.frameWindows.StackSlider->Value()); });
    connect(windows.StackSlider, &TRxSlider::OnChange, this, &StackController::StackSliderChange);
    connect(windows.differencecutslider, &TRxSlider::OnChange, this, &StackController::StackSliderChange);
    connect(windows.LimitStack, &TRxSpinEdit::OnChange, this, &StackController::LimitStackChange);
    connect(page.Drizzling, &TPCheck::OnClick, this, &StackController::DrizzlingClick);
    connect(page.Resampled, &TPCheck::OnClick, this, &StackController::ResampledClick);
    connect(page.ResampleSpin, &TRxSpinEdit::OnChange, this, &StackController::ResampleSpinChange);
    connect(&page, &StackPage::stackStylePicked, this, &StackController::ResampleDrizzlegroupClick);
    connect(&page, &StackPage::multiPointClicked, this, &StackController::MultiClick);
    connect(&parts.Tabpages, &TabStrip::pageEntering, this, &StackController::enterPage);
    page.Savebutton->setEnabled(parts.pipeline.stack().exists());

    connect(windows.StackSlider, &TRxSlider::OnChanged, this, &StackController::StackSliderChanged);
    connect(windows.Alignmentpointstackgraph, &TRxSpinEdit::OnChange, this,
            &StackController::AlignmentpointstackgraphChange);
    connect(windows.QUALSliderMalign, &TRxSlider::OnChange, this, &StackController::QUALSliderMalignChange);
    connect(windows.DifSliderMalign, &TRxSlider::OnChange, this, &StackController::DifSliderMalignChange);
    connect(page.ShowStacklist, &TPCheck::OnClick, this, &StackController::ShowStacklistClick);
    connect(page.Alignmentpoints, &TPCheck::OnClick, this, &StackController::AlignmentpointsClick);
    connect(windows.Alignmentpointlist, &CheckListBox::OnClickCheck, this,
            &StackController::AlignmentpointlistClick);
    connect(parts.tools.Alignmentpointswindow, &ToolWindow::OnRollClose, this,
            &StackController::AlignmentpointswindowRollClose);
    connect(windows.PCheck2, &TPCheck::OnClick, this, &StackController::PCheck2Click);
    connect(page.FastStack, &TPCheck::OnClick, this, &StackController::FastStackClick);
    connect(&parts.waveletPage, &WaveletPage::stackDepthToggled, this, &StackController::ShowStackCountClick);
    connectStackFilter();
    inputsGivenUp_ = parts_.pipeline.inputsGivenUp();
    framesGone_ = !parts_.pipeline.input().source;
    runHeard_ = parts_.pipeline.subscribe([this](PipelineChange change) { hearRun(change); });
}

StackController::~StackController() = default;

// --- What the Stack page learns from the other areas' operations ---------------------------------

void StackController::hearRun(PipelineChange change) {
    switch (change) {
        case PipelineChange::FrameLimit:
            // A new frame limit may bring the stack count and its range with it.
            parts_.frameWindows.StackSlider->setTag(parts_.pipeline.frameLimit());
            showStackCount();
            break;
        case PipelineChange::StackCount:
            showStackCount();
            break;
        case PipelineChange::Input:
            showTakenInput();
            break;
        case PipelineChange::Optimizer:
            followOptimizerRun();
            break;
        case PipelineChange::Points:
            showPlacing();
            break;
        case PipelineChange::ProjectStep:
            showReplayStep();
            break;
        default:
            break;
    }
    followPasses(change);
}

void StackController::showTakenInput() {
    // A new input stacks with one box and is resampled by 2 again; 16-bit kinds are not
    // resampled.
    StackPage& page = parts_.stackPage;
    const FrameModel& model = parts_.pipeline.model();
    page.setMultiPoint(false);
    if (!parts_.pipeline.input().takenByDrop) page.resetResampleFactor();
    page.showResampling(!model.InputIsFIT && !model.InputIsTIF && !model.InputIsSER);
    if (model.SingleImage) {
        // A single image is stacked as it is, at once: no stack graph, no resampling.
        page.uncheckStackGraph();
        page.setStackButtonEnabled(true);
        page.uncheckResampling();
    }
}

void StackController::followOptimizerRun() {
    const OptimizerProgress& progress = parts_.pipeline.optimizerProgress();
    if (progress.afterPointAlignment) return;
    StackPage& page = parts_.stackPage;
    if (!optimizerRunLocked_) {
        // Once per run: a cancel that unlocks the options mid-run leaves them unlocked.
        page.setOptionsEnabled(false);
        page.uncheckStackGraph();
        optimizerRunLocked_ = true;
    }
    if (progress.step == OptimizerProgress::Step::Ended) {
        page.setOptionsEnabled(true);
        optimizerRunLocked_ = false;
    }
}

// --- The Stack page's multi-point box follows the points ------------------------------------------

void StackController::showPlacing() {
    // Alignment points are being placed (the feature to be set again, the placing not ended):
    // the stack is to be made with them, and the Multi box is ticked. A user's untick ends the
    // points' mode.
    const AlignmentPoints& points = parts_.pipeline.alignPoints();
    const bool placing = points.MultiPointMode && !points.StopPlacing &&
                         parts_.pipeline.state().progstatus == TProgStatus::psFeatureSet;
    if (placing && !parts_.stackPage.multiPoint()) parts_.stackPage.setMultiPoint(true);
}

void StackController::showReplayStep() {
    switch (parts_.pipeline.replayShown().step) {
        case ReplayShown::ProjectTaken:
            // A project with points stacks with them.
            parts_.stackPage.setMultiPoint(multiPoint());
            break;
        case ReplayShown::PointCutoffs:
            // Each point's graph drawn, its quality cut-off one short of the end, as after the
            // points' optimizer.
            parts_.frameWindows.drawPointStackGraphs(pointCount());
            break;
        default:
            break;
    }
}

// --- The Stack page's passes follow the run ---------------------------------------------------------

void StackController::followPasses(PipelineChange change) {
    StackPage& page = parts_.stackPage;
    const Pipeline& pipeline = parts_.pipeline;
    switch (change) {
        case PipelineChange::Stage:
            // The open input was given up: no stack pass can run before the new one is aligned.
            if (pipeline.inputsGivenUp() != inputsGivenUp_) page.setPassButtonsEnabled(false);
            inputsGivenUp_ = pipeline.inputsGivenUp();
            break;
        case PipelineChange::PassEnded:
            // A finished pass ranked the frames: a sigma stack can run; a stopped one took the
            // ranking away from both stacks.
            if (pipeline.lastPassEnd() == PassEnd::Finished)
                page.setStatisticalStackEnabled(true);
            else
                page.setPassButtonsEnabled(false);
            break;
        case PipelineChange::AlignSetup:
            // Without alignment the frames stack as they are.
            if (pipeline.alignSetup() == AlignSetup::NoAlignment) page.setPassButtonsEnabled(true);
            break;
        case PipelineChange::ProjectStep:
            // A project's load reached its stack: the frames can be stacked again.
            if (pipeline.replayShown().step == ReplayShown::StackControls) page.setPassButtonsEnabled(true);
            break;
        default:
            break;
    }
    // The series' frames are given up (the list emptied): no stack has frames to run on.
    const bool framesGone = !pipeline.input().source;
    if (change == PipelineChange::Frames && framesGone && !framesGone_) page.setPassButtonsEnabled(false);
    framesGone_ = framesGone;
}

std::unique_ptr<FrameSource> StackController::inputFrames() {
    if (frameSources_) return frameSources_();
    return parts_.pipeline.inputFrames(parts_.pipeline.input().browseLast,
                                       readSourceOptions(parts_.alignPage, parts_.pipeline));
}

void StackController::StackButtonClick() {
    runStack(readStackOptions(), [this](const StackOptions& options, FrameSource& frames) {
        return parts_.pipeline.makeStack(options, frames, parts_.ports.progress(), parts_.ports.messages());
    });
}

StackOutcome StackController::runStack(const StackOptions& options, const StackRun& run) {
    const LongOperation operation(parts_.ports.operations);
    if (!operation) return StackOutcome::Failed;
    // The factors the run uses are the program's from now on.
    // The Optimize page's controller hears the run begin and end: its options wait meanwhile.
    parts_.pipeline.useStackFactors(options.ResampleFactor, options.Drizzlefact,
                                    !options.Expandstack && !options.Resampled && !options.Drizzling);
    showPassStart(parts_.ports.progress(), 2);
    prepareStackRun();
    const BusyCursor busy;

    warnOfEmptyZones(options);
    StackEnd end;
    try {
        const std::unique_ptr<FrameSource> frames = inputFrames();
        end = run(options, *frames);
    } catch (const std::exception& error) {
        // Reader errors and running out of memory end the run; nothing of it is published.
        parts_.ports.messages().error("Stacking", error.what());
    }
    const StackOutcome outcome = end.outcome;
    if (end.kept) {
        showStack(*end.kept);
        // A new result that nobody saved yet: closing the window asks again.
        parts_.ports.shell.ImageSaved = false;
    }
    if (outcome == StackOutcome::Stacked || outcome == StackOutcome::Declined) {
        // A run that reached its end (also past a declined one-frame question) leaves the Wavelet
        // page's view at its origin; a cancelled or empty one leaves it where it was.
        parts_.waveletPage.scrollToOrigin();
        parts_.waveletPage.moveProcessedImageToOrigin();
    }
    finishStackRun();
    showPassEnd(parts_.ProgressBar1, parts_.ports.progress(), 2, "Stacking",
                outcome == StackOutcome::Stacked ? PassOutcome::Finished
                : outcome == StackOutcome::Cancelled || outcome == StackOutcome::Declined
                    ? PassOutcome::Cancelled
                    : PassOutcome::Failed);
    return outcome;
}

void StackController::warnOfEmptyZones(const StackOptions& options) {
    if (!options.Points.MultiPointMode) return;
    const std::vector<int> empty = parts_.pipeline.pointsWithoutFrames(options);
    if (empty.empty()) return;
    std::string numbers;
    for (const int p : empty) numbers += (numbers.empty() ? "" : ", ") + std::to_string(p);
    parts_.ports.messages().warn(
        "Stacking",
        "No frame of the stack is usable for alignment point(s) " + numbers +
            ": their zones stay empty. Optimize the alignment points (which measures them) or change their "
            "cut-offs before stacking.");
}

void StackController::prepareStackRun() {
    StackPage& page = parts_.stackPage;
    parts_.tools.Shrinkview->hide();
    parts_.tools.MultiAlignprogresswindow->hide();
    parts_.alignPage.allowShowingAlignPoints();

    // The stack page shows while the stack is made; a page not yet open comes at the end.
    if (parts_.pipeline.state().activepage >= TMainTab::tabStack &&
        parts_.Tabpages.currentIndex() != StackTab)
        parts_.entries.selectTab(StackTab);
    page.setEnabled(false);
    parts_.Tabpages.setEnabled(false);
    page.Stacklabel->setText(QString::fromStdString(page.stackCaptionPrefix() + "Stacking started  ..."));
    page.Stacklabel->show();
    parts_.pointWindows.showStackingStarted();
}

void StackController::showStackActivity(const std::string& text) {
    parts_.stackPage.Stacklabel->setText(QString::fromStdString(text));
}

void StackController::finishStackRun() {
    StackPage& page = parts_.stackPage;
    parts_.pipeline.endStackRun();
    page.setEnabled(true);
    parts_.Tabpages.setEnabled(true);
    page.Stacklabel->hide();
    page.Savebutton->setEnabled(parts_.pipeline.stack().exists());
}

void StackController::showStack(const StackResult& stack) {
    StackPage& page = parts_.stackPage;
    showStackPicture(parts_.pipeline.wavelet().Stackimage);

    // A stack larger than the view opens at the feature.
    if (stack.ImageWidth > ScrollWidthLimit)
        page.ScrollBox2->horizontalScrollBar()->setValue(
            static_cast<int>(std::nearbyint(parts_.pipeline.state().FeatureX * stack.displayFactor)) -
            ScrollHalfWidth);
    if (stack.ImageHeight > ScrollHeightLimit)
        page.ScrollBox2->verticalScrollBar()->setValue(
            static_cast<int>(std::nearbyint(parts_.pipeline.state().FeatureY * stack.displayFactor)) -
            ScrollHalfHeight);

    if (parts_.tools.Stackgraphpanel->isVisible()) {
        // Unchecked and checked again: the graph is drawn anew for the new stack.
        page.Showstackgraph->setChecked(false);
        page.Showstackgraph->setChecked(true);
        ShowstackgraphClick();
    }
    if (parts_.Tabpages.currentIndex() != StackTab) parts_.entries.selectTab(StackTab);
}

void StackController::showStackPicture(const Bitmap24& picture) {
    showStackImage(bitmapView(picture));
}

void StackController::showStackImage(const QImage& picture) {
    StackPage& page = parts_.stackPage;
    QLabel& image = *page.Stackimage;
    image.setPixmap(QPixmap::fromImage(picture));
    image.resize(picture.width(), picture.height());
}

void StackController::showStackCount() {
    TRxSlider& slider = *parts_.frameWindows.StackSlider;
    const StackCount& count = parts_.pipeline.stackCount();
    slider.setMaxValue(count.last);
    slider.setValue(count.value);
}

void StackController::enterPage(int tab) {
    if (tab == StackTab && parts_.tools.Stackgraphpanel->isVisible()) {
        // Unchecked and checked again: the graph is drawn anew.
        parts_.stackPage.recheckStackGraph();
        ShowstackgraphClick();
    }
    if (tab == OptimizeTab) redrawPointCutoffs();
}

void StackController::ResampleDrizzlegroupClick() {
    StackPage& page = parts_.stackPage;
    const StackStyleChoice choice =
        parts_.pipeline.chooseStackStyle(page.pickedStackStyle(), parts_.ports.messages());
    page.applyStackStyle(choice);
    if (choice.style == StackStyle::Resampling) {
        // The resampling controls show, the wavelet page's Drizzle2 follows Drizzling, and
        // neither the expanded canvas nor realigning on the result goes with it.
        ResampledClick();
        parts_.pipeline.setResampleFactor(page.resampleFactor());
    } else {
        // Drizzle2 follows Drizzling, so that no drizzle-sized canvas outlives the choice.
        DrizzlingClick();
    }
}

void StackController::MultiClick() {
    parts_.pipeline.setMultiPointMode(parts_.stackPage.Multi->Checked());
}

void StackController::DrizzlingClick() {
    StackPage& page = parts_.stackPage;
    parts_.pipeline.setDrizzled(page.Drizzling->Checked());
    if (page.Drizzling->Checked()) page.Resampled->setChecked(false);
}

CreateStackSettings StackController::referenceSettings() const {
    CreateStackSettings settings;
    parts_.stackPage.readCreateSettings(settings);
    return settings;
}

void StackController::applyReferenceSettings(const CreateStackSettings& settings) {
    parts_.stackPage.applyCreateSettings(settings);
    // Drizzle2 follows, or the stack keeps the drizzled canvas.
    DrizzlingClick();
}

void StackController::setStackCaptionPrefix(const std::string& prefix) {
    parts_.stackPage.setStackCaptionPrefix(prefix);
}

void StackController::ResampledClick() {
    StackPage& page = parts_.stackPage;
    const bool resampled = page.Resampled->Checked();
    page.ResampleMethod->setVisible(resampled);
    page.ResampleSpin->setVisible(resampled);
    if (resampled) page.Drizzling->setChecked(false);
    parts_.pipeline.setDrizzled(page.Drizzling->Checked());
    // The Optimize page's controller hears it: realigning on the result needs the frame-sized canvas.
    parts_.pipeline.setResampled(resampled);
    if (resampled) page.Expandstack->setChecked(false);
    parts_.pipeline.setResampleFactor(page.resampleFactor());
}

void StackController::ResampleSpinChange() {
    StackPage& page = parts_.stackPage;
    page.Drizzlefact->setValue(page.resampleSpin());
    // The spins keep the value typed; the factor used stays within 1..4.
    parts_.pipeline.setResampleFactor(page.resampleFactor());
}

}  // namespace kestrave
