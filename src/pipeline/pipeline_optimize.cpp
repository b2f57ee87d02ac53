// The limit, reference and optimizer stages of the pipeline.

#include <algorithm>
#include <utility>

#include "pipeline/pipeline.h"
#include "platform/phase_marks.h"
#include "platform/scope_exit.h"

namespace kestrave {

FrameLimitResult OptimizeStage::limitFrames(const FrameLimitInput& input) {
    FrameLimitResult result =
        kestrave::limitFrames(run_.model, run_.state, run_.optimizer, run_.points, input);
    announce(PipelineChange::Frames);
    announce(PipelineChange::Stage);
    const int last = result.sliderMaximum;
    commitFrameLimit({.ranks = last, .countRange = last, .stackBound = last, .stackCount = last});
    return result;
}

void OptimizeStage::commitFrameLimit(const FrameLimitCommit& commit) {
    if (commit.ranks && *commit.ranks > 0) run_.rankLimit = *commit.ranks;
    // The range first, so that the count lands within the new one.
    if (commit.countRange) run_.stackCount.setLast(*commit.countRange);
    if (commit.stackBound) run_.frameLimit = *commit.stackBound;
    if (commit.stackCount) run_.stackCount.set(*commit.stackCount);
    announce(PipelineChange::FrameLimit);
}

int OptimizeStage::qualityCutoffPosition(int last, double percent) const {
    return kestrave::qualityCutoffPosition(run_.model, last, percent);
}

int OptimizeStage::rankOfFrame(int frame, int lastPosition) const {
    return kestrave::rankOfFrame(run_.model, frame, lastPosition);
}

CreateReferenceResult OptimizeStage::createReference(const CreateReferenceOptions& options,
                                                     ReferenceStages& stages, ProgressPort& progress,
                                                     MessagePort& messages) {
    CreateReferenceResult result =
        createReferenceFrame(run_.model, run_.state, run_.alignment, run_.optimizer, run_.images, progress,
                             messages, options, stages);
    announce(PipelineChange::Stage);
    return result;
}

AutomaticFilterValues OptimizeStage::restartAlignment(const Bitmap24& processed,
                                                      const ReferenceOptions& options,
                                                      MessagePort& messages) {
    AutomaticFilterValues values =
        kestrave::restartAlignment(run_.fft, run_.registration, run_.state, run_.optimizer, run_.model,
                                   run_.images, processed, options, messages);
    // The steps of the tracking start again with the offsets.
    run_.registration.TrackStepX = run_.registration.TrackStepY = 0;
    announce(PipelineChange::Stage);
    realignValues_ = values;
    announce(PipelineChange::Realigned);
    return values;
}

namespace {

// The view of the passes, with each pass's start and each frame taken announced after it.
class AnnouncedPasses : public OptimizerObserver {
public:
    AnnouncedPasses(OptimizerObserver& view, std::function<void(OptimizerProgress::Step, int)> reach)
        : view_(view), reach_(std::move(reach)) {}
    void passStarted(const OptimizerChart& chart, const OptimizerReferenceView& reference) override {
        view_.passStarted(chart, reference);
        reach_(OptimizerProgress::Step::PassStarted, -1);
    }
    void alignmentRestored() override { view_.alignmentRestored(); }
    void frameOptimized(int position, int frame, const TFrameRec& record,
                        const Bitmap24& currentBox) override {
        view_.frameOptimized(position, frame, record, currentBox);
        reach_(OptimizerProgress::Step::Frame, frame);
    }
    void passFinished(const OptimizerPassResult& result, double DifferenceSum) override {
        view_.passFinished(result, DifferenceSum);
    }
    void captionChanged(const std::string& caption) override { view_.captionChanged(caption); }

private:
    OptimizerObserver& view_;
    std::function<void(OptimizerProgress::Step, int)> reach_;
};

}  // namespace

void OptimizeStage::reachOptimizerStep(OptimizerProgress::Step step, int frame) {
    optimizerProgress_.step = step;
    optimizerProgress_.frame = frame;
    announce(PipelineChange::Optimizer);
}

void OptimizeStage::withOptimizer(const OptimizerPorts& ports,
                                  const std::function<void(OptimizerContext&)>& work,
                                  bool afterPointAlignment) {
    optimizerProgress_.afterPointAlignment = afterPointAlignment;
    const ScopeExit ended([this] { reachOptimizerStep(OptimizerProgress::Step::Ended); });
    AnnouncedPasses passes(
        ports.observer, [this](OptimizerProgress::Step step, int frame) { reachOptimizerStep(step, frame); });
    const std::unique_ptr<InputFrameSource> frames =
        makeFrameSource(run_.model, run_.input.lastIndex, ports.read);
    OptimizerContext context{run_.model,     run_.state,     run_.registration,
                             run_.alignment, run_.optimizer, *run_.wavelet.GammaTable,
                             *frames,        ports.progress, ports.messages,
                             passes};
    work(context);
    announce(PipelineChange::Frames);
    announce(PipelineChange::Stage);
}

OptimizerRunResult OptimizeStage::optimize(const OptimizerOptions& options, const OptimizerPorts& ports) {
    OptimizerRunResult result;
    withOptimizer(ports, [&](OptimizerContext& context) { result = Optimize_Alignpoint(context, options); });
    return result;
}

OptimizeAndStackResult OptimizeStage::optimizeAndStack(const OptimizerOptions& options,
                                                       const StackScaleOptions& scale, StackStages& stages,
                                                       const OptimizerPorts& ports) {
    OptimizeAndStackResult result;
    withOptimizer(ports, [&](OptimizerContext& context) {
        result = kestrave::optimizeAndStack(context, run_.images, options, scale, stages);
    });
    return result;
}

namespace {

// The points' optimizer as the window sees it: each point shown as it starts, then its box size
// in force and the window's pending events handled.
class PointStart : public PointOptimizerObserver {
public:
    PointStart(PointOptimizerObserver& window, std::function<void(int)> useBoxSize, ProgressPort& progress)
        : window_(window), useBoxSize_(std::move(useBoxSize)), progress_(progress) {}
    void pointStarting(int point, int countdown) override {
        window_.pointStarting(point, countdown);
        useBoxSize_(point);
        progress_.processMessages();
    }
    void pointFinished(int point, int done) override { window_.pointFinished(point, done); }

private:
    PointOptimizerObserver& window_;
    std::function<void(int)> useBoxSize_;
    ProgressPort& progress_;
};

}  // namespace

PointOptimizerResult OptimizeStage::optimizePoints(const OptimizerOptions& options,
                                                   const PointOptimizerInput& input,
                                                   PointOptimizerObserver& pointObserver,
                                                   const OptimizerPorts& ports, bool afterPointAlignment) {
    PointStart observer(
        pointObserver,
        [this](int point) {
            useBoxSizeItem(run_.alignPoints.PointFFTIndex[static_cast<std::size_t>(point)]);
        },
        ports.progress);
    PointOptimizerInput points = input;
    points.wholeFrameStart = run_.alignPoints.WholeFrameStart;
    // A reference made from a stack of the best frames holds a fraction of one frame's noise: the
    // faint edge of a disc in a corner of a box on the sky stands out on it, yet no frame, with
    // its own noise, can lock on that edge, and the point's zone would be thrown about. Against
    // such a reference the boxes are judged on the frame the points were placed on, as the frames
    // would see them.
    if (run_.optimizer.MultiPointReference && !run_.pointsPlacedOn.empty())
        points.placementPicture = &run_.pointsPlacedOn;
    PointOptimizerResult result;
    withOptimizer(
        ports,
        [&](OptimizerContext& context) {
            result =
                Optimize_AllAlignpoints(context, options, run_.alignPoints, run_.points, points, observer);
        },
        afterPointAlignment);
    return result;
}

OptimizeStage::OptimizerRecords OptimizeStage::keepOptimizerRecords(int last) const {
    OptimizerRecords records;
    records.DifferenceSum = run_.alignment.DifferenceSum;
    records.OptimizePass = run_.alignment.OptimizePass;
    for (int j = 0; j <= std::min(last, MaxFrameIndex); ++j) {
        const int frame = run_.model.FrameRanking[j].Frame;
        const TFrameRec& rec = run_.model.FrameTable[frame];
        records.entries.push_back(
            {frame, rec.Slots[0], rec.Slots[2], rec.SubPixelX, rec.SubPixelY, rec.Improvement});
    }
    return records;
}

void OptimizeStage::restoreOptimizerRecords(const OptimizerRecords& records) {
    for (const OptimizerRecords::Entry& entry : records.entries) {
        TFrameRec& rec = run_.model.FrameTable[entry.frame];
        rec.Slots[0] = entry.slot0;
        rec.Slots[2] = entry.slot2;
        rec.SubPixelX = entry.SubPixelX;
        rec.SubPixelY = entry.SubPixelY;
        rec.Improvement = entry.Improvement;
    }
    run_.alignment.DifferenceSum = records.DifferenceSum;
    run_.alignment.OptimizePass = records.OptimizePass;
    announce(PipelineChange::Frames);
}

void OptimizeStage::finishOptimizeAndStack() {
    run_.state.ProcessStage = TProcessStage::stAligned;
    run_.state.activepage = TMainTab::tabAbout;
    announce(PipelineChange::Stage);
}

bool OptimizeStage::stackAndProcessPoints(StackStages& stages, ProgressPort& progress) {
    markPhase("stacking");
    if (!stages.stack() || progress.cancelRequested()) return false;
    finishOptimizeAndStack();
    EmptyHook();
    markPhase("finish");
    stages.process();
    return true;
}

void OptimizeStage::setMultiPointMode(bool multiPoint) {
    run_.alignPoints.MultiPointMode = multiPoint;
    announce(PipelineChange::Points);
}

void OptimizeStage::takePointReferencePicture() {
    if (run_.optimizer.MultiPointReference && !run_.optimizer.ReferenceImage.empty())
        CopyBitmap(run_.optimizer.ReferenceImage, run_.input.PreviewBitmap);
    CopyBitmap(run_.input.PreviewBitmap, run_.registration.Image1);
}

void OptimizeStage::setContourMode(bool contour) {
    run_.fft.ContourMode = contour;
}

void OptimizeStage::armFFTFilter(bool armed) {
    run_.registration.FFTFilterArmed = armed;
}

}  // namespace kestrave
