#pragma once
// The cut-offs that choose the stacked frames before a stack is made: the quality cut-off (the
// last rank to stack) and the difference cut-off (thousandths of the largest alignment
// difference) over the ranking, each alignment point's own pair over the point's graph, and the
// stack depth shown as a grey picture.

#include <vector>

#include "frames/frame_model.h"
#include "frames/plane.h"
#include "platform/bitmap24.h"
#include "stacking/stack_cutoff_values.h"

namespace kestrave {

StackCutoffs stackCutoffs(const FrameModel& model, int rank, int tag, int differencecut);

PointStackGraph pointStackGraph(const FrameModel& model, const PointGraphInput& input);

// The stack depth as a grey picture of width x height: every pixel Round(weight / M x 255), M the
// largest weight of the picture's area but at least 1; pixels outside the plane are black.
Bitmap24 stackDepthPicture(const T2dArrays& weights, int width, int height);

}  // namespace kestrave
