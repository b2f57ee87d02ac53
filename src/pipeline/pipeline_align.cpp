// The feature, box and alignment stage of the pipeline.

#include "pipeline/pipeline.h"

#include <functional>
#include <utility>

#include "platform/scope_exit.h"
#include "registration/point_optimizer.h"

namespace kestrave {

namespace {

ReferenceContext referenceContextOf(RunState& run, MessagePort& messages) {
    return ReferenceContext{run.fft,    run.registration,        run.state, run.model,
                            run.images, run.input.PreviewBitmap, messages};
}

AlignContext alignContextOf(RunState& run, MessagePort& messages, ProgressPort& progress,
                            AlignmentView& view) {
    return AlignContext{run.fft,    run.registration,        run.alignment, run.state, run.model,
                        run.images, *run.wavelet.GammaTable, messages,      progress,  view};
}

// Aligns the reference frame while the reference is computed, with the align options of the
// stage's start kept in step with what the stage writes back to the controls meanwhile: the
// automatic band, the correlation surface shown after the first computation, and misalignment
// questions ignored from the moment the user said so.
class ReferenceAligner final : public ReferenceWindow, public AlignmentView, public FrameAligner {
public:
    ReferenceAligner(RunState& run, const AlignOptions& options, AlignPorts& ports,
                     std::function<void()> accepted = {})
        : run_(run), options_(options), ports_(ports), accepted_(std::move(accepted)) {}

    void showFrame(int position) override { ports_.reference.showFrame(position); }
    void applyAutomaticValues(const AutomaticFilterValues& values) override {
        ports_.reference.applyAutomaticValues(values);
        options_.QualityFilter = values.QualityFilter.value_or(options_.QualityFilter);
        options_.QualFilterDX = values.QualFilterDX.value_or(options_.QualFilterDX);
    }
    void featureAccepted() override {
        ports_.reference.featureAccepted();
        if (accepted_) accepted_();
    }
    void referenceComputedOnce() override {
        ports_.reference.referenceComputedOnce();
        options_.ShowFFTbox = true;
    }

    void setCursor(AlignCursor cursor) override { ports_.view.setCursor(cursor); }
    void showCorrelationSurface(const Bitmap24& picture) override {
        ports_.view.showCorrelationSurface(picture);
    }
    void hideSpectrumWindow() override { ports_.view.hideSpectrumWindow(); }
    void showClickFrame(const Bitmap24& picture) override { ports_.view.showClickFrame(picture); }
    void hideAlignmentWindows() override { ports_.view.hideAlignmentWindows(); }
    void restoreAlignmentWindows() override { ports_.view.restoreAlignmentWindows(); }
    void frameDeselected(int frame) override { ports_.view.frameDeselected(frame); }
    void ignoreMisalignedChecked() override {
        options_.Ignoredefault = true;
        ports_.view.ignoreMisalignedChecked();
    }
    void showSegmentPosition(int position) override { ports_.view.showSegmentPosition(position); }
    void frameAligned(const AlignedFrameView& view) override { ports_.view.frameAligned(view); }
    int framesPerSpectrum() const override { return ports_.view.framesPerSpectrum(); }
    void boxOffscreen() override { ports_.view.boxOffscreen(); }

    // The frame shown, from the feature's frame and field 0.
    bool AlignFrame() override {
        run_.alignment.CurrentFrame = frameAtPosition(run_.model, run_.registration.FeatureFrame);
        run_.alignment.InterlaceField = 0;
        AlignContext context = alignContextOf(run_, ports_.messages, ports_.progress, *this);
        FrameAlignment alignment(context, options_, run_.input.PreviewBitmap);
        return alignment.AlignFrame();
    }

private:
    RunState& run_;
    AlignOptions options_;
    AlignPorts& ports_;
    // Called once the feature is set, before its reference is computed.
    std::function<void()> accepted_;
};

}  // namespace

FftSizeChoice AlignStage::chooseBoxSize(int item, double fftFilter, MessagePort& messages) {
    ReferenceContext context = referenceContextOf(run_, messages);
    return chooseFftSize(context, item, fftFilter, run_.alignPoints.FreeBox);
}

AutomaticFilterValues AlignStage::computeReference(const ReferenceOptions& reference,
                                                   const AlignOptions& align, AlignPorts& ports) {
    ReferenceAligner aligner(run_, align, ports);
    ReferenceContext context = referenceContextOf(run_, ports.messages);
    return recalculateReference(context, reference, aligner, aligner);
}

PickResult AlignStage::pickFeature(const PreviewClick& click, const ReferenceOptions& reference,
                                   const AlignOptions& align, AlignPorts& ports) {
    // The feature is set before its reference is computed: the run has moved on to it.
    ReferenceAligner aligner(run_, align, ports, [this] {
        ++run_.featuresAccepted;
        announce(PipelineChange::Stage);
    });
    ReferenceContext context = referenceContextOf(run_, ports.messages);
    return kestrave::pickFeature(context, click, reference, aligner, aligner, ports.progress);
}

AlignmentPassResult AlignStage::alignAllFrames(const AlignmentPassOptions& options, bool manualAlign,
                                               const FrameSourceOptions& read, AlignPorts& ports) {
    const std::unique_ptr<InputFrameSource> frames = self().inputFrames(options.lastFrame, read);
    return alignAllFrames(options, manualAlign, *frames, ports);
}

AlignmentPassResult AlignStage::alignAllFrames(const AlignmentPassOptions& options, bool manualAlign,
                                               FrameSource& frames, AlignPorts& ports) {
    // A pass on one box: no points are in use, and the stack measures no depth under them.
    run_.alignPoints.StopPlacing = false;
    run_.alignment.ManualAlign = manualAlign;
    run_.optimizer.NewReferenceMade = false;
    run_.optimizer.MultiPointReference = false;
    AlignContext context = alignContextOf(run_, ports.messages, ports.progress, ports.view);
    AlignmentPassResult pass = Alignallframes(context, options, frames);
    announce(PipelineChange::Frames);
    announce(PipelineChange::Stage);
    return pass;
}

AlignmentPassResult AlignStage::alignPlacedPoints(const PlacedPointsOptions& options, PointPassWindow& window,
                                                  ProgressPort& progress) {
    const AlignmentPoints& points = run_.alignPoints;
    const int count = options.count;
    // Each point's reference on the reference frame, from the last point down to point 1, so that
    // the box size, the reference and the feature end at point 1. "Multi-Quantity" measures every
    // point; "Simple" measures point 1 alone. When point 1's box on the frame shown cannot carry
    // the alignment (a flat plain, the empty sky, a small box on faint ground), frames aligned on
    // it would land anywhere: "Simple" with two or more points then aligns the frames once, on the
    // largest box around the points, every point starts from that shift, and point 1's reference
    // is taken after the pass.
    std::vector<PointReference> references;
    const auto pointReference = [&](int p) {
        const auto at = static_cast<std::size_t>(p);
        setRegistrationCaption("point #" + std::to_string(p));
        window.pointStarting(p);
        return window.referenceAt(p, points.PointPos[at].X, points.PointPos[at].Y, points.PointFFTIndex[at]);
    };
    const bool wholeFrame = !options.multiQuantity && count > 1 &&
                            !boxCarriesAlignment(run_.input.PreviewBitmap, points.PointPos[1].X,
                                                 points.PointPos[1].Y, points.PointFFTSize[1] / 2);
    run_.alignPoints.WholeFrameStart = wholeFrame;
    // Every point is measured on its own box again: none carries point 1's differences any more.
    run_.points.PointDifferenceBorrowed = {};
    run_.pointsPlacedOn = run_.input.PreviewBitmap;
    if (!wholeFrame) {
        for (int p = options.multiQuantity ? count : 1; p >= 1 && !progress.cancelRequested(); --p) {
            references.push_back(pointReference(p));
            window.pointsDone(count + 1 - p);
        }
    } else if (!progress.cancelRequested()) {
        setRegistrationCaption("point #1");
        window.pointStarting(1);
        const PointXY centre =
            wholeFrameBoxCentre(points, count, run_.model.ImageWidth, run_.model.ImageHeight);
        const int size = wholeFrameBoxSize(run_.model.ImageWidth, run_.model.ImageHeight);
        references.push_back(window.referenceAt(1, centre.X, centre.Y, fftItemForSize(size)));
    }
    // Only the first point aligned is pointed out by hand, as the manual alignment was set.
    if (!references.empty()) references.front().ManualAlign = options.manualAlign;

    AlignmentPassResult pass;
    if (!progress.cancelRequested()) pass = window.alignReferences(references, options.manualAlign);
    if (pass.end == PassEnd::Finished && progress.cancelRequested()) pass.end = PassEnd::Cancelled;
    if (wholeFrame && pass.end == PassEnd::Finished) {
        // Taking point 1's reference measures the reference frame on point 1's box; every frame
        // keeps the quality the pass ranked it by, so that the ranking and the qualities agree.
        std::vector<float> ranked;
        for (int f = 0; f <= std::min(options.lastFrame, MaxFrameIndex); ++f)
            ranked.push_back(run_.model.FrameTable[f].Slots[0].Quality);
        pointReference(1);
        for (std::size_t f = 0; f < ranked.size(); ++f) run_.model.FrameTable[f].Slots[0].Quality = ranked[f];
        window.pointsDone(count);
    }
    if (pass.end == PassEnd::Finished)
        pass.pointDistances =
            finishPointAlignment(options.multiQuantity, count, options.lastFrame, options.referenceFrame);
    return pass;
}

PointReference AlignStage::pointReference(int p, const AlignOptions& align) const {
    return takePointReference(p, run_.fft, run_.registration, run_.state, align);
}

AlignmentPassResult AlignStage::alignPoints(std::vector<PointReference>& references, bool manualAlign,
                                            const AlignmentPassOptions& options,
                                            const FrameSourceOptions& read, AlignPorts& ports) {
    const std::unique_ptr<InputFrameSource> frames = self().inputFrames(options.lastFrame, read);
    return alignPoints(references, manualAlign, options, *frames, ports);
}

AlignmentPassResult AlignStage::alignPoints(std::vector<PointReference>& references, bool manualAlign,
                                            const AlignmentPassOptions& options, FrameSource& frames,
                                            AlignPorts& ports) {
    run_.optimizer.NewReferenceMade = false;
    run_.optimizer.MultiPointReference = false;
    // However the pass ends, no later alignment is pointed out by hand unless asked again.
    const ScopeExit handsOff([this] { run_.alignment.ManualAlign = false; });
    AlignContext context = alignContextOf(run_, ports.messages, ports.progress, ports.view);
    AlignmentPassResult pass;
    if (references.size() > 1 || references.front().point != 1) {
        PointAlignmentResult result = alignPointsAllFrames(context, options, references, frames);
        for (const int p : result.filed)
            run_.alignPoints.PointBestQuality[static_cast<std::size_t>(p)] =
                result.PointBestQuality[static_cast<std::size_t>(p)];
        pass = std::move(result.pass);
    } else {
        // Point 1 alone is the pass on its box.
        run_.alignment.ManualAlign = manualAlign;
        pass = Alignallframes(context, options, frames);
        if (pass.end != PassEnd::Failed)
            run_.alignPoints.PointBestQuality[1] = filePointSlot(run_.model, 1, options.lastFrame);
    }
    announce(PipelineChange::Frames);
    announce(PipelineChange::Stage);
    return pass;
}

void PipelineCore::useBoxSizeItem(int item) {
    run_.boxSizeItem = item;
    announce(PipelineChange::BoxSize);
}

void AlignStage::endPass(PassEnd end) {
    run_.lastPassEnd = end;
    announce(PipelineChange::PassEnded);
}

void AlignStage::stopPlacingPoints() {
    run_.alignPoints.FreeBox = false;
    run_.alignPoints.StopPlacing = true;
    announce(PipelineChange::Points);
    setUpAlignment(AlignSetup::PointsPlaced);
}

void AlignStage::setUpAlignment(AlignSetup setup) {
    run_.alignSetup = setup;
    announce(PipelineChange::AlignSetup);
}

void AlignStage::setFreeBox(bool freeBox) {
    run_.alignPoints.FreeBox = freeBox;
}

void AlignStage::setManualAlign(bool manualAlign) {
    run_.alignment.ManualAlign = manualAlign;
}

void AlignStage::firstPointAtFeature() {
    run_.alignPoints.PointPos[1] = {run_.state.FeatureX, run_.state.FeatureY};
    announce(PipelineChange::Points);
}

void AlignStage::showReferencePicture() {
    if (!run_.registration.Image1.empty()) run_.input.PreviewBitmap = run_.registration.Image1;
}

void AlignStage::setQualityWeightingCentre(int centre) {
    run_.registration.HVSCentre = centre;
}

bool AlignStage::takeQualityBandAsManual() {
    if (!run_.registration.QualityFilterArmed) return false;
    run_.registration.QualityFilterManual = true;
    return true;
}

void AlignStage::setAutomaticQualityBand(bool automatic) {
    run_.registration.QualityFilterManual = run_.registration.QualityFilterArmed = !automatic;
}

void AlignStage::armQualityFilter() {
    run_.registration.QualityFilterArmed = true;
}

bool AlignStage::takeFFTFilterAsManual() {
    if (!run_.registration.FFTFilterArmed) return false;
    run_.registration.FFTFilterManual = true;
    return true;
}

void AlignStage::setFFTFilterRadius(double radius) {
    if (run_.fft.FFTSize > 0) BuildFFTBandMask(run_.fft, radius);
}

void AlignStage::setMisalignRatio(float ratio) {
    run_.alignment.MisalignRatio = ratio;
}

}  // namespace kestrave
