#pragma once
// The optimize stage: the frame limit, the reference made from a stack ("Create") and the
// optimizer of the single box and of the alignment points.

#include "pipeline/frame_limit_commit.h"
#include "pipeline/pipeline_core.h"

namespace kestrave {

// Where an optimizer run stands, for the pages that follow it: a pass has started, a frame is in
// work, or the run has ended (however it ended).
struct OptimizerProgress {
    enum class Step { Ended, PassStarted, Frame };
    Step step = Step::Ended;
    int frame = -1;  // the frame in work (Frame)
    // The points' run that ends a point alignment's automatic processing, not an optimize step
    // of its own.
    bool afterPointAlignment = false;
};

// What an optimizer run reaches of whoever runs it: how it reads the input's frames (through a
// source of its own, so that the browser's source stays where the user left it), its progress and
// messages, and the view of its passes.
struct OptimizerPorts {
    const FrameSourceOptions& read;
    ProgressPort& progress;
    MessagePort& messages;
    OptimizerObserver& observer;
};

class OptimizeStage : public virtual PipelineCore {
public:
    // The frame limit: the frames kept, the reference frames and the points' limits; the frame
    // limit, the stack count and its range all become the last position kept. Announces `Frames`,
    // `Stage` and `FrameLimit` (once, for the limit and the stack count together).
    FrameLimitResult limitFrames(const FrameLimitInput& input);
    // The frame limit as an input, an alignment, the empty frame list, a stack or a new reference
    // leaves it: the parts `commit` sets, together (the run is their one home: the sliders show
    // them). Announces `FrameLimit` once.
    void commitFrameLimit(const FrameLimitCommit& commit);
    // Where the quality limit in percent places the frame slider over the ranked frames 0 .. last.
    int qualityCutoffPosition(int last, double percent) const;
    // The ranking position of `frame` among the positions 0 .. lastPosition (0 when not ranked).
    int rankOfFrame(int frame, int lastPosition) const;
    // "Create": the reference stack made, processed and taken as the reference, each stage run
    // through `stages`, the user's wait among them.
    CreateReferenceResult createReference(const CreateReferenceOptions& options, ReferenceStages& stages,
                                          ProgressPort& progress, MessagePort& messages);
    // The processed picture becomes the alignment's reference; the tracking steps start again.
    // Announces `Stage`, then `Realigned` with the automatic filter values it found.
    AutomaticFilterValues restartAlignment(const Bitmap24& processed, const ReferenceOptions& options,
                                           MessagePort& messages);
    const AutomaticFilterValues& realignValues() const { return realignValues_; }
    // The optimizer runs: the single box, the single-box optimize-and-stack and the optimizer of
    // the points. Each announces `Frames` and `Stage` once its passes ended without a failure, and
    // `Optimizer` as a pass starts, as each frame is taken and as the run ends.
    OptimizerRunResult optimize(const OptimizerOptions& options, const OptimizerPorts& ports);
    OptimizeAndStackResult optimizeAndStack(const OptimizerOptions& options, const StackScaleOptions& scale,
                                            StackStages& stages, const OptimizerPorts& ports);
    // Each point's box size comes in force as the point starts, once `pointObserver` has shown the
    // point, and the window's pending events are handled before the point is optimized. The run's
    // progress says whether it ends a point alignment's automatic processing.
    PointOptimizerResult optimizePoints(const OptimizerOptions& options, const PointOptimizerInput& input,
                                        PointOptimizerObserver& pointObserver, const OptimizerPorts& ports,
                                        bool afterPointAlignment = false);
    // What an optimizer run changes in the records of ranking positions 0..last and the totals,
    // kept so that a run cancelled in its first pass can put them back.
    struct OptimizerRecords {
        struct Entry {
            int frame;
            TAlignSlotRec slot0;
            TAlignSlotRec slot2;  // field 0 of interlaced frames
            float SubPixelX;
            float SubPixelY;
            float Improvement;
        };
        std::vector<Entry> entries;
        double DifferenceSum = 0;
        int OptimizePass = 0;
    };
    OptimizerRecords keepOptimizerRecords(int last) const;
    void restoreOptimizerRecords(const OptimizerRecords& records);
    // Optimize and stack has ended with a processed stack.
    void finishOptimizeAndStack();
    // Optimize-and-stack's end after the points' optimizer: the stack, and when it was completed
    // and not cancelled, the end of the stage and the processing. True when processed.
    bool stackAndProcessPoints(StackStages& stages, ProgressPort& progress);
    // The multi-point mode "Create" sets and puts back.
    void setMultiPointMode(bool multiPoint);
    // The frame the points were placed on (or the reference made from a processed stack) becomes
    // the reference picture of the point optimizer.
    void takePointReferencePicture();
    // The contour of the FFT spectrum, and whether a change of the filter spin is the user's.
    void setContourMode(bool contour);
    void armFFTFilter(bool armed);
    // No new reference has been made by the optimizer.
    void forgetNewReference();
    const OptimizerProgress& optimizerProgress() const { return optimizerProgress_; }

protected:
    ~OptimizeStage() = default;

private:
    // Runs `work` with the optimizer's context over the run's state and the input's frames, then
    // announces `Frames` and `Stage`; its passes and frames, and its end however it ends (the
    // frames not opened among it), announce `Optimizer`.
    void withOptimizer(const OptimizerPorts& ports, const std::function<void(OptimizerContext&)>& work,
                       bool afterPointAlignment = false);
    // The step an optimizer run reached, announced as `Optimizer`.
    void reachOptimizerStep(OptimizerProgress::Step step, int frame = -1);

    OptimizerProgress optimizerProgress_;
    AutomaticFilterValues realignValues_;
};

}  // namespace kestrave
