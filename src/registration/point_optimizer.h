#pragma once
// The optimizer for every alignment point: the single-box optimizer loop runs once per point,
// from the highest number down to point 1, on the point's shifts, around the point and with the
// point's box size. Each point's shifts are parked in slot 0 (the optimizer's working slot) and
// its differences in AlignDifference, and the result goes back into slot p; then the point's
// difference cut is set from its largest measured difference. Each loop's passes run on every
// core (see optimizer_passes.h).
//
// Afterwards slot 0, its saved shift and AlignDifference carry point 1's values; with
// "Multi-Quantity" the ranking's keys are point 1's grades (the first key its best grade) while
// the order of the ranking stays as the alignment left it.

#include <optional>

#include "registration/alignment_points.h"
#include "registration/frame_limit.h"
#include "registration/optimizer_passes.h"

namespace kestrave {

// What the point optimizer reads besides the optimizer's options.
struct PointOptimizerInput {
    int lastFrame = 0;           // PreviewSlider.MaxValue: the records parked and filed back
    bool MultiQuantity = false;  // MultiAlign on "Multi-Quantity": each point its own grades
    int DifSliderMalign = 1001;  // the difference cut in thousandths of a point's largest difference
    int StackSliderMax = 0;      // where each point's quality slider starts
};

// What the window shows while the points are optimized; every call comes on the caller's thread.
class PointOptimizerObserver {
public:
    virtual ~PointOptimizerObserver() = default;
    // Point p is next; `countdown` is the time left in milliseconds (0 before the first point
    // ended).
    virtual void pointStarting(int /*point*/, int /*countdown*/) {}
    // `done` points are optimized.
    virtual void pointFinished(int /*point*/, int /*done*/) {}
};

struct PointOptimizerResult {
    bool cancelled = false;
    // The new state of the Warnings check box when a question's "do not repeat" box changed it.
    std::optional<bool> Warnings;
};

// The ranking position of `frame`, or 0 when the frame is not ranked.
int rankOfFrame(const FrameModel& model, int frame, int lastPosition);

// Optimizes points Alignpoints .. 1. The reference picture (Image1) is the caller's: the frame the
// points were placed on, or the reference made from a processed stack. A point whose best grade is
// 0 counts it as 1. A cancel ends the run after the point in progress has been filed back;
// differences of 1e7 (never measured) do not raise a cut, and a point with no measured difference
// gets the cut 0.
PointOptimizerResult Optimize_AllAlignpoints(OptimizerContext& context, const OptimizerOptions& options,
                                             AlignmentPoints& points, PointLimits& limits,
                                             const PointOptimizerInput& input,
                                             PointOptimizerObserver& observer);

}  // namespace kestrave
