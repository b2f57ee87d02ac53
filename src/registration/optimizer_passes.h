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
#include "registration/optimizer_options.h"
#include "registration/optimizer_search.h"
#include "registration/optimizer_state.h"
#include "registration/registration_state.h"

namespace kestrave {

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
