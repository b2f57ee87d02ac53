#include "shell/controllers/optimize_controller.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "frames/frame_source_options.h"
#include "persist/reg_settings.h"
#include "pipeline/optimize_and_stack_values.h"
#include "platform/errors.h"
#include "platform/phase_marks.h"
#include "registration/alignment_point_types.h"
#include "registration/frame_limit_values.h"
#include "registration/point_optimizer_values.h"
#include "shell/area_stages.h"
#include "shell/busy_cursor.h"
#include "shell/controllers/align_page_options.h"
#include "shell/controllers/optimize_view.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/optimizer_windows.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/registration_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pass_status.h"
#include "shell/shell_ports.h"
#include "shell/stored_settings.h"
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

constexpr int OptimizeTab = static_cast<int>(TMainTab::tabOptimize);
constexpr int StackTab = static_cast<int>(TMainTab::tabStack);
constexpr int WaveletTab = static_cast<int>(TMainTab::tabWavelet);
// The difference cut-off that lets every frame through.
constexpr int NoDifferenceCut = 1001;

// The tab strip is locked while the work runs and unlocked however it ends.
class TabStripLock {
public:
    explicit TabStripLock(QWidget& tabs) : tabs_(tabs) { tabs_.setEnabled(false); }
    ~TabStripLock() { tabs_.setEnabled(true); }
    TabStripLock(const TabStripLock&) = delete;
    TabStripLock& operator=(const TabStripLock&) = delete;

private:
    QWidget& tabs_;
};

// The marker under a button: at its left edge, just below it.

}  // namespace

OptimizerOptions readOptimizerOptions(const OptimizeControllerParts& parts) {
    const OptimizePage& page = parts.optimizePage;
    OptimizerOptions options;
    OptimizerSearchOptions& search = options.search;
    search.SearchArea = static_cast<double>(page.SearchArea->Value());
    search.FastOptim = page.FastOptim->Checked();
    search.Filteralignment = page.Filteralignment->Checked();
    search.Kernel3x3 = parts.pipeline.state().Kernel3x3;
    search.LumWeights = parts.pipeline.state().LumWeights;
    parts.alignPage.readGeneralOptions(search, parts.pipeline.images().DarkPlanes[1]);
    parts.stackPage.readResampling(search);
    options.FFTSize = parts.pipeline.fft().FFTSize;
    options.OptimizeSpin = static_cast<double>(page.OptimizeSpin->Value());
    options.Warnings = page.Warnings->Checked();
    options.lastPosition = parts.pipeline.rankLimit();
    return options;
}

// The stacking and processing stages of optimize-and-stack: the Stack and Wavelet areas' own
// stages, with the pages shown.
class OptimizeController::StackSteps : public StackStages {
public:
    explicit StackSteps(const OptimizeControllerParts& parts) : parts_(parts) {}

    bool stack() override {
        parts_.pipeline.setStackCount(parts_.pipeline.frameLimit());
        const AlignPage::WindowChoice windows = parts_.alignPage.windowChoice();
        parts_.tools.FFTWindow->setVisible(windows.fft);
        parts_.tools.Registrationgraphwindow->setVisible(windows.graph);
        parts_.entries.selectTab(StackTab);
        parts_.stages.stackFrames();
        // The passes left the program optimized; only a completed stack moves it on.
        return parts_.pipeline.state().progstatus == TProgStatus::psStacked;
    }
    void process() override {
        parts_.entries.selectTab(WaveletTab);
        parts_.Tabpages.setEnabled(true);
        parts_.stages.processStack();
    }

private:
    const OptimizeControllerParts& parts_;
};

// The multi-point window's view of the point optimizer: the point in work, the time left and the
// points done.
class OptimizeController::PointProgress : public PointOptimizerObserver {
public:
    explicit PointProgress(const OptimizeControllerParts& parts) : parts_(parts) {}

    void pointStarting(int point, int countdown) override {
        PointWindows& windows = parts_.pointWindows;
        const int count = parts_.pipeline.alignPoints().Alignpoints;
        parts_.tools.MultiAlignprogresswindow->setWindowTitle("optimizing " + QString::number(count) +
                                                              " alignmentpoints");
        if (countdown > 0) {
            parts_.ports.shell.view.TimeLeft = countdown;
            windows.startCountdown(timeLeftText(countdown));
        }
        parts_.tools.RegiStration2->setWindowTitle(" Starting alignment of  point " + QString::number(point));
        // The pipeline puts the point's box size in force next; the Align page shows it.
    }
    void pointFinished(int, int done) override { parts_.pointWindows.showPointsDone(done); }

private:
    const OptimizeControllerParts& parts_;
};

OptimizeController::OptimizeController(const OptimizeControllerParts& parts)
    : parts_(parts),
      pipeline_(parts.pipeline),
      ports_(parts.ports),
      page_(parts.optimizePage),
      view_(std::make_unique<PassView>(parts_)) {
    connectPass(*page_.Optimizebutton, PassOverResult::Optimize, &OptimizeController::OptimizebuttonClick);
    connectPass(*page_.Referbutton, PassOverResult::Reference, &OptimizeController::MakerefClick);
    connectPass(*page_.Optimizeandstackbutton, PassOverResult::Optimize,
                &OptimizeController::AlignStackButtonClick);
    parts_.waveletPage.takeContinueButton(*page_.Continuebutton);
    connect(page_.Restartalign, &QPushButton::clicked, this, &OptimizeController::RestartAlignClick);
    connect(page_.Refframes, &TRxSpinEdit::OnChange, this, &OptimizeController::RefframesChange);
    connect(page_.Contour, &TPCheck::OnClick, this, &OptimizeController::ContourClick);
    connect(page_.SearchArea, &TRxSpinEdit::OnChange, this, &OptimizeController::SearchAreaChange);
    connectPrefilter();
    hearOtherAreas();
}

void OptimizeController::connectPass(QAbstractButton& button, PassOverResult kind,
                                     void (OptimizeController::*handler)()) {
    connect(&button, &QAbstractButton::clicked, this, [this, kind, handler] {
        runPassOverResult(pipeline_, ports_, parts_.stages, kind, [this, handler] { (this->*handler)(); });
    });
}

// --- What the page learns from the other areas' operations --------------------------------------

void OptimizeController::hearOtherAreas() {
    connect(&page_, &OptimizePage::optimizerGraphClicked, this, &OptimizeController::OptimizegraphClick);
    connect(&page_, &OptimizePage::movementWindowClicked, this, &OptimizeController::ShowMovementwindowClick);
    framesGone_ = !pipeline_.input().source;
    inputsGivenUp_ = pipeline_.inputsGivenUp();
    featuresAccepted_ = pipeline_.featuresAccepted();
    otherAreasHeard_ = pipeline_.subscribe([this](PipelineChange change) { heardFromOtherArea(change); });
}

void OptimizeController::heardFromOtherArea(PipelineChange change) {
    switch (change) {
        case PipelineChange::Stage:
            // A new feature: its registration windows are asked for.
            if (pipeline_.featuresAccepted() != featuresAccepted_) page_.showRegistrationWindows();
            featuresAccepted_ = pipeline_.featuresAccepted();
            // The open input was given up: nothing of its passes is charted, none can run yet.
            if (pipeline_.inputsGivenUp() == inputsGivenUp_) break;
            inputsGivenUp_ = pipeline_.inputsGivenUp();
            newSeriesLimit_ = false;
            page_.clearCharts();
            page_.greyPassButtons();
            break;
        case PipelineChange::Input:
            // A new input shows "Restart align" unless it is one still image (nothing to align).
            page_.showRestartAlign(!pipeline_.model().SingleImage);
            newSeriesLimit_ = !pipeline_.model().SingleImage;
            break;
        case PipelineChange::FrameLimit:
            // The first limit of a new series: the frames that make a reference stay within it.
            if (newSeriesLimit_) page_.limitReferenceFrames(pipeline_.input().lastIndex);
            newSeriesLimit_ = false;
            break;
        case PipelineChange::AlignSetup:
            // One box can be optimized at once; without alignment nothing can; placed points
            // wait for their pass, and while they are placed no pass runs.
            if (pipeline_.alignSetup() == AlignSetup::PlacingPoints)
                page_.setPassButtonsEnabled(false);
            else
                page_.setOptimizeButtonEnabled(pipeline_.alignSetup() == AlignSetup::OneBox);
            break;
        case PipelineChange::ProjectStep:
            // The project reached the stack: its frames can be optimized again.
            if (pipeline_.replayShown().step == ReplayShown::OptimizerPasses)
                page_.setPassButtonsEnabled(true);
            break;
        case PipelineChange::PassEnded:
            // A finished pass ranked the frames for the optimizer; a stopped one took the ranking
            // away from every pass.
            if (pipeline_.lastPassEnd() == PassEnd::Finished)
                page_.setOptimizeButtonEnabled(true);
            else
                page_.greyPassButtons();
            break;
        case PipelineChange::StackRun:
            // While a stack run works the options wait; realigning on the result needs the
            // frame-sized canvas.
            page_.showRestartAlign(pipeline_.stackRunFrameSized());
            page_.setOptionsEnabled(false);
            break;
        case PipelineChange::StackRunEnded:
            page_.setOptionsEnabled(true);
            break;
        case PipelineChange::Resampling:
            page_.showRestartAlign(!pipeline_.resampled());
            break;
        default:
            break;
    }
    // The series' frames are given up (the list emptied): no pass has frames to run on.
    const bool framesGone = !pipeline_.input().source;
    if (change == PipelineChange::Frames && framesGone && !framesGone_) page_.greyPassButtons();
    framesGone_ = framesGone;
}

void OptimizeController::OptimizegraphClick() {
    const bool shown = page_.showsOptimizerGraph();
    parts_.tools.Registrationgraphwindow->setVisible(shown);
    parts_.tools.RegiStration2->setVisible(shown);
}

void OptimizeController::ShowMovementwindowClick() {
    parts_.tools.movements->setVisible(page_.showsMovements());
}

OptimizeController::~OptimizeController() = default;

void OptimizeController::showError(const char* caption, const std::exception& error) {
    ports_.messages().error(caption, error.what());
}

void OptimizeController::withPasses(const std::function<void(const OptimizerPorts&)>& work) {
    FrameSourceOptions sourceOptions = readSourceOptions(parts_.alignPage, pipeline_);
    sourceOptions.debayer.InOptimizePass = true;
    work({sourceOptions, ports_.progress(), ports_.messages(), *view_});
}

void OptimizeController::runOptimizer(int last, const std::function<bool(const OptimizerPorts&)>& run) {
    const Pipeline::OptimizerRecords before = pipeline_.keepOptimizerRecords(last);
    view_->startRun();
    bool cancelled = false;
    try {
        withPasses([&](const OptimizerPorts& ports) { cancelled = run(ports); });
    } catch (...) {
        if (view_->passesFinished() == 0) pipeline_.restoreOptimizerRecords(before);
        throw;
    }
    if (cancelled && view_->passesFinished() <= 1) pipeline_.restoreOptimizerRecords(before);
}

void OptimizeController::OptimizebuttonClick() {
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    // The Stack page's controller locks its options and unticks its graph while the run works.
    parts_.tools.Stackgraphpanel->hide();
    if (pipeline_.alignPoints().Alignpoints > 1) {
        page_.MultiOptimtoWavelet->setChecked(false);
        Optimize_AllAlignpoints();
        return;
    }
    ports_.progress().setCancelRequested(false);
    showPassStart(ports_.progress(), 2);
    PassOutcome outcome = PassOutcome::Failed;
    try {
        const BusyCursor busy;
        const TabStripLock locked(parts_.Tabpages);
        const OptimizerOptions optimizerOptions = readOptimizerOptions(parts_);
        OptimizerRunResult result;
        runOptimizer(optimizerOptions.lastPosition, [&](const OptimizerPorts& ports) {
            result = pipeline_.optimize(optimizerOptions, ports);
            return result.cancelled;
        });
        if (result.Warnings) page_.Warnings->setChecked(*result.Warnings);
        outcome = result.cancelled ? PassOutcome::Cancelled : PassOutcome::Finished;
    } catch (const std::exception& error) {
        showError("Optimizing", error);
    }
    showPassEnd(parts_.ProgressBar1, ports_.progress(), 2, "Optimizing", outcome);
}

void OptimizeController::RefframesChange() {
    const auto value =
        kestrave::RefframesChange(static_cast<double>(page_.Refframes->Value()), parts_.pipeline.rankLimit());
    if (value) page_.Refframes->setValue(*value);
}

void OptimizeController::AlignStackButtonClick() {
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    // The Stack page's controller locks its options and unticks its graph while the run works.
    parts_.tools.Stackgraphpanel->hide();
    const int method = parts_.alignPage.alignMethodIndex();
    if (method == AlignMethodMultipoint) {
        // The multi-point optimizer stacks and processes itself.
        page_.MultiOptimtoWavelet->setChecked(true);
        Optimize_AllAlignpoints();
    } else if (method == AlignMethodSingle) {
        showPassStart(ports_.progress(), 2);
        parts_.alignPage.showPlainPreview();
        parts_.alignPage.setFftWindowChosen(false);
        PassOutcome outcome = PassOutcome::Failed;
        try {
            const TabStripLock locked(parts_.Tabpages);
            const OptimizerOptions optimizerOptions = readOptimizerOptions(parts_);
            const StackScaleOptions scale{optimizerOptions.search.Resampled,
                                          optimizerOptions.search.ResampleFactor,
                                          parts_.stackPage.drizzling()};
            StackSteps steps(parts_);
            OptimizeAndStackResult result;
            runOptimizer(optimizerOptions.lastPosition, [&](const OptimizerPorts& ports) {
                result = pipeline_.optimizeAndStack(optimizerOptions, scale, steps, ports);
                return result.outcome == OptimizeAndStackOutcome::CancelledOptimizing;
            });
            if (result.optimizer.Warnings) page_.Warnings->setChecked(*result.optimizer.Warnings);
            outcome = result.outcome == OptimizeAndStackOutcome::Processed ? PassOutcome::Finished
                                                                           : PassOutcome::Cancelled;
        } catch (const std::exception& error) {
            showError("Optimizing", error);
        }
        showPassEnd(parts_.ProgressBar1, ports_.progress(), 2, "Optimize and stack", outcome);
        parts_.waveletPage.moveProcessedImageToOrigin();
    } else {
        // Nothing to optimize: no run tells the Stack page, whose graph goes all the same.
        parts_.stackPage.uncheckStackGraph();
    }
}

void OptimizeController::Optimize_AllAlignpoints(bool afterPointAlignment) {
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    const bool toWavelet = page_.MultiOptimtoWavelet->Checked();
    FrameWindows& windows = parts_.frameWindows;
    PointWindows& pointWindows = parts_.pointWindows;
    ToolWindow& progressWindow = *parts_.tools.MultiAlignprogresswindow;
    const int count = pipeline_.alignPoints().Alignpoints;
    ports_.progress().setCancelRequested(false);
    showPassStart(ports_.progress(), 2);
    if (page_.Optimizegraph->Checked()) parts_.tools.RegiStration2->show();
    progressWindow.show();
    progressWindow.raise();
    pointWindows.startPointProgress(count);

    // The reference picture of the run: the frame the points were placed on, or the reference
    // made from a processed stack.
    PointOptimizerInput input;
    input.lastFrame = pipeline_.input().lastIndex;
    input.MultiQuantity = page_.multiQuantity();
    parts_.alignPage.setPreviewPosition(
        pipeline_.rankOfFrame(pipeline_.registration().FeatureFrame, pipeline_.input().lastIndex));
    pipeline_.takePointReferencePicture();
    input.DifSliderMalign = windows.pointDifferenceCut();
    input.StackSliderMax = pipeline_.stackCount().last;
    PointProgress progress(parts_);
    PointOptimizerResult result;
    try {
        const BusyCursor busy;
        const TabStripLock locked(parts_.Tabpages);
        const OptimizerOptions options = readOptimizerOptions(parts_);
        view_->startRun();
        markPhase("optimizer");
        withPasses([&](const OptimizerPorts& ports) {
            result = pipeline_.optimizePoints(options, input, progress, ports, afterPointAlignment);
        });
    } catch (const std::exception& error) {
        showError("Optimizing", error);
        result.cancelled = true;
    }
    if (result.Warnings) page_.Warnings->setChecked(*result.Warnings);
    pointWindows.stopCountdown();
    const bool cancelled = result.cancelled || ports_.CancelRequested();
    if (!cancelled) {
        // Each point's stack graph is drawn once, its quality cut-off one short of the end.
        windows.drawPointStackGraphs(count);
    }
    progressWindow.hide();
    // Optimize-and-stack, or "Automatic processing", goes on to the stack and its processing.
    if (cancelled || !(toWavelet || automaticProcessing(parts_.alignPage, pipeline_))) {
        showPassEnd(parts_.ProgressBar1, ports_.progress(), 2, "Optimizing",
                    cancelled ? PassOutcome::Cancelled : PassOutcome::Finished);
        return;
    }
    StackSteps steps(parts_);
    const bool processed = pipeline_.stackAndProcessPoints(steps, ports_.progress());
    showPassEnd(parts_.ProgressBar1, ports_.progress(), 2, "Optimize and stack",
                processed ? PassOutcome::Finished : PassOutcome::Cancelled);
}

void OptimizeController::MakerefClick() {
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    FrameWindows& windows = parts_.frameWindows;
    // No difference cut for the reference stack; the cut-off's handler stays out of it.
    windows.setDifferenceCutQuietly(NoDifferenceCut);
    ports_.shell.view.forgetBoxOutline(-pipeline_.fft().FFTSize);
    page_.Continuebutton->show();
    const bool realignEnabled = page_.Restartalign->isEnabled();
    page_.Restartalign->setEnabled(false);
    page_.Refframes->setMaxValue(pipeline_.rankLimit());

    showPassStart(ports_.progress(), 2);
    CreateReferenceOptions options;
    options.Refframes = static_cast<double>(page_.Refframes->Value());
    options.CreateRefMessage = page_.CreateRefMessage->Checked();
    options.Optimizegraph = page_.Optimizegraph->Checked();
    bool created = false;
    PassOutcome outcome = PassOutcome::Failed;
    try {
        const CreateReferenceResult result =
            pipeline_.createReference(options, parts_.referenceStages, ports_.progress(), ports_.messages());
        page_.CreateRefMessage->setChecked(result.CreateRefMessage);
        created = result.outcome == CreateReferenceOutcome::Created;
        outcome = created ? PassOutcome::Finished : PassOutcome::Cancelled;
    } catch (const std::exception& error) {
        showError("Reference frame", error);
    }
    showPassEnd(parts_.ProgressBar1, ports_.progress(), 2, "Create reference", outcome);
    page_.Continuebutton->hide();
    page_.Restartalign->setEnabled(created || realignEnabled);
}

void OptimizeController::showRegistrationGraph() {
    parts_.registrationWindows.showRegistrationGraph(pipeline_.model(), pipeline_.rankLimit(),
                                                     pipeline_.optimizer().RegistrationCaption);
}

void OptimizeController::RestartAlignClick() {
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    const Bitmap24& processed = pipeline_.wavelet().ProcessPicture;
    // Only a processed picture of the frame's size can take the reference's place; anything else
    // would leave the alignment without a reference.
    if (processed.empty() || processed.width() != pipeline_.model().FrameWidth ||
        processed.height() != pipeline_.model().FrameHeight) {
        ports_.messages().warn("Realign", "There is no processed image of the frame size to align with");
        return;
    }
    try {
        // The Align page shows the automatic filter values it hears of.
        pipeline_.restartAlignment(processed, readReferenceOptions(parts_.alignPage, pipeline_),
                                   ports_.messages());
    } catch (const std::exception& error) {
        showError("Realign", error);
        return;
    }
    parts_.stages.openPointCutoffs();
    parts_.entries.selectTab(OptimizeTab);
    parts_.registrationWindows.showSpectrumUndefined();
    ToolWindows& tools = parts_.tools;
    const AlignPage::WindowChoice chosen = parts_.alignPage.windowChoice();
    if (chosen.fft) {
        tools.FFTWindow->show();
        tools.FFTWindow->raise();
    }
    if (chosen.graph) tools.Registrationgraphwindow->show();
    for (ToolWindow* window : {tools.HLSwindow, tools.Gammawindow, tools.HistoWindow, tools.Filterwindow})
        window->hide();
    parts_.alignPage.setWindowChoice({.fft = true, .graph = true});
    page_.showReference(QPixmap::fromImage(bitmapView(pipeline_.registration().Image1)));
    markButton(*page_.Showbuttonp2, *page_.Optimizeandstackbutton);
    page_.Optimizeandstackbutton->setEnabled(true);
    page_.Optimizebutton->setEnabled(true);
}

void OptimizeController::ContourClick() {
    pipeline_.setContourMode(page_.Contour->Checked());
}

void OptimizeController::SearchAreaChange() {
    const long double value = page_.SearchArea->Value();
    const int radius = static_cast<int>(std::clamp(std::nearbyint(static_cast<double>(value)), 1.0, 10.0));
    if (value != radius) page_.SearchArea->setValue(radius);
    storeSetting(ports_.regSettings.get(), "SearchArea", radius);
}

}  // namespace kestrave
