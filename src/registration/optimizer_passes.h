#pragma once
// The optimizer passes: one pass refines the shift of every ranked frame up to the frame limit
// with one optimizer step (Run_Optimizer); the optimizer loop restores the alignment result and
// repeats passes until a pass lowers the total difference by less than the threshold
// (Optimize_Alignpoint); optimize-and-stack runs its own variant of the loop before it stacks.
//
// Within a pass the reference window is fixed, so the frames are independent: they are read ahead
// through the frame source and optimized on all cores in chunks, and everything the window sees
// (chart points, frame notices, the total) is produced afterwards in ranking order. The result is
// the same at any thread count.

#include <optional>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/gamma_table.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "registration/align_state.h"
#include "registration/optimizer_search.h"
#include "registration/optimizer_state.h"
#include "registration/registration_state.h"

namespace kestrave {

// The start Improvement of every frame of a run, and the value that makes a pass take a frame
// again.
inline constexpr float RunStartImprovement = 90.0f;
inline constexpr float ForcedImprovement = 100.0f;

struct OptimizerOptions {
    OptimizerSearchOptions search;
    int FFTSize = 128;
    double OptimizeSpin = 1.0;  // percent: stop threshold of the loop, skip threshold per frame
    bool Warnings = true;       // ask before a restart
    int lastPosition = 0;       // AlignSlider.MaxValue: the last ranking position optimized
};

// The optimizer chart: one point per frame a pass optimizes.
struct OptimizerChart {
    std::vector<double> quality;     // Series3: the ranking key
    std::vector<double> difference;  // Series4: the slot-0 difference, 0 when not measured
    std::vector<bool> unmeasured;    // the point is labelled " " (difference 1e7)
    double frameIncrement = 1.0;
    bool showDifferenceAxis = false;  // the largest difference exceeds 1.0
    double differenceIncrement = 0.0;
};

struct OptimizerPassResult {
    bool cancelled = false;
    int counted = 0;    // points of the chart (Series3)
    int optimized = 0;  // frames that were given an optimizer step
    double xSum = 0.0;  // "x sum:" of |X| over the optimized frames
    double ySum = 0.0;
};

// What the window shows of the passes; every call comes on the caller's thread.
class OptimizerObserver {
public:
    virtual ~OptimizerObserver() = default;
    virtual void passStarted(const OptimizerChart& /*chart*/) {}
    // A frame was optimized; `currentBox` is its compared box after the step.
    virtual void frameOptimized(int /*position*/, int /*frame*/, const TFrameRec& /*record*/,
                                const Bitmap24& /*currentBox*/) {}
    // A pass ended (also after a cancel) with the new DifferenceSum.
    virtual void passFinished(const OptimizerPassResult& /*result*/, double /*DifferenceSum*/) {}
    // The caption of the registration graph window.
    virtual void captionChanged(const std::string& /*caption*/) {}
};

// Everything the passes work on.
struct OptimizerContext {
    FrameModel& model;
    ProgramState& program;            // FeatureX/Y, stages, BatchMode
    RegistrationState& registration;  // Image1
    AlignmentState& alignment;        // OptimizePass, DifferenceSum
    OptimizerState& optimizer;
    const GammaTableArray& GammaTable;
    FrameSource& frames;  // must deliver every frame's picture in the preview bitmap
    ProgressPort& progress;
    MessagePort& messages;
    OptimizerObserver& observer;
};

// A frame at ranking position j takes part when its key is at least RelativeLimit times the best
// key (position 0), allowing a relative 1e-6 for rounding, so that the limit set at a position
// always keeps that position.
bool aboveRelativeLimit(const FrameModel& model, int position, float RelativeLimit);

// The chart of the frames a pass optimizes: positions 0..lastPosition, not excluded, above the
// relative limit.
OptimizerChart optimizerChart(const FrameModel& model, int lastPosition, float RelativeLimit);

// One pass. The reference window is built first from Image1 (from ReferenceImage after a new
// reference); then every ranking position 0..lastPosition whose frame is not excluded, not
// converged (Improvement above OptimizeSpin) and above the relative limit gets one step (two in
// interlaced mode, field 0 and field 1). Cancel is tested between chunks of frames; a cancelled
// pass still publishes DifferenceSum = 0.001 x the slot-0 differences of positions 0..lastPosition
// (excluded frames included). Afterwards progstatus is psOptimized, ProcessStage stAligned and the
// stacking page may be opened. With resampling the frames a pass optimizes have their shifts in
// resampled pixels afterwards (each slot records its unit); the frames it leaves alone keep theirs.
OptimizerPassResult Run_Optimizer(OptimizerContext& context, const OptimizerOptions& options);

struct OptimizerRunResult {
    bool cancelled = false;
    int passes = 0;
    // The new state of the Warnings check box when a question's "do not repeat" box changed it.
    std::optional<bool> Warnings;
};

// The optimizer loop for the current feature position: every position 0..lastPosition restarts
// from the alignment (shift SavedX/Y, difference AlignDifference or 1e7 with resampling,
// Improvement 90); after a new reference every frame restarts (difference 1e7, Improvement 100),
// asking first unless in a batch run or with Warnings unchecked. Then passes run until one gains
// less than OptimizeSpin percent; the "Single run optimizer" stops after the first. After a pass
// that raised the total, every frame is taken again. The caller clears the cancel request before
// the first call (the multi-point optimizer runs the loop once per point).
OptimizerRunResult Optimize_Alignpoint(OptimizerContext& context, const OptimizerOptions& options);

// The optimizer part of optimize-and-stack: clears the cancel request, restarts every position
// 0..lastPosition from the alignment (difference 1e7 after a new reference or with resampling),
// runs a pass, and, when that pass raised the total, restarts all frames (asking first unless in
// a batch run or with Warnings unchecked; No keeps the previous total). Then passes run until one
// gains less than OptimizeSpin percent, also with the "Single run optimizer".
OptimizerRunResult optimizeBeforeStacking(OptimizerContext& context, const OptimizerOptions& options);

}  // namespace kestrave
