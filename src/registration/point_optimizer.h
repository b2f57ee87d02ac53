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
#include <string>
#include <utility>
#include <vector>

#include "registration/alignment_points.h"
#include "registration/frame_limit.h"
#include "registration/optimizer_passes.h"
#include "registration/point_optimizer_values.h"

namespace kestrave {

// Whether the box of half side h around (x, y) of `picture` holds nothing to lock on: its green
// values vary no more than their noise does. The noise is read from the box itself: neighbouring
// pixels of a seeing-blurred picture are nearly equal, so half the mean square step between
// neighbours is the noise's variance; a box of pure noise has a variance equal to it, while any
// structure (a crater, a limb, a band, even a faint slope) adds to the variance far more than to
// the steps.
bool boxHoldsNothing(const Bitmap24& picture, int x, int y, int h);

// Whether the frames can be aligned on the box of half side h around (x, y) of `picture` alone:
// its detail, measured over its noise as above and summed over its pixels, is large enough for
// every frame to find its place on it, and the box is at least 64 pixels wide. A small box or
// one on faint ground is not, even when it holds something.
bool boxCarriesAlignment(const Bitmap24& picture, int x, int y, int h);

// What an optimized point p keeps of its limits: its stack-graph sliders at StackSliderMax
// (quality) and 1000 (difference), and as its difference cut the largest difference measured on
// slot p over the records 0..last, scaled by DifSliderMalign in thousandths (differences of 1e7,
// never measured, do not count; none measured gives the cut 0). The limits are not written to a
// project: a project's load files them again from the loaded slots.
void fileOptimizedLimits(const FrameModel& model, int point, int last, int DifSliderMalign,
                         int StackSliderMax, PointLimits& limits);

// The ranking position of `frame`, or 0 when the frame is not ranked.
int rankOfFrame(const FrameModel& model, int frame, int lastPosition);

// Optimizes points Alignpoints .. 1. A point whose box on the reference picture (or on
// input.placementPicture, when given) holds nothing to lock on (boxHoldsNothing) places its zone as
// the nearest point that holds does, frame by frame; with no such point it keeps the alignment's
// shifts. The reference picture (Image1) is the caller's: the
// frame the points were placed on, the reference made from a processed stack, or the frame
// input.referenceFrame (in frame pixels only: not with resampling). A point whose best grade is
// 0 counts it as 1. A cancel ends the run after the point in progress has been filed back (a point
// whose optimizer never started keeps its own shifts); the points left unreached keep their
// shifts and get limits that let their frames in, a frame never measured on a point's own box
// taking point 1's difference. Differences of 1e7 (never measured) do not raise a cut, and a point
// with no measured difference gets the cut 0.
PointOptimizerResult Optimize_AllAlignpoints(OptimizerContext& context, const OptimizerOptions& options,
                                             AlignmentPoints& points, PointLimits& limits,
                                             const PointOptimizerInput& input,
                                             PointOptimizerObserver& observer);

}  // namespace kestrave
