#pragma once
// The alignment points of multi-point alignment and the single free alignment box: the point
// arrays that the point optimizer, the stacking and the stack graphs read, the rows of the point
// grid as the user sees and edits them, and the switches between the alignment methods.
//
// Point p (1..99) sits at index p of every array; index 0 is not a point. Each point has a
// reference position in frame pixels and a square FFT box of 32, 64, 128, 256 or 512 pixels.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/program_state.h"
#include "registration/alignment_point_types.h"

namespace kestrave {

// The points 1..n taken from `points` in order (at most MaxAlignPoints): positions, box sizes and
// their items; Alignpoints becomes n + 1, ready for more points to be placed. Every point must
// have a box size of the five.
void setAlignPoints(AlignmentPoints& arrays, std::span<const AlignPoint> points);

// "None": every frame record 0..lastIndex keeps no whole-frame shift (slot 0's X and Y are 0).
void clearWholeFrameShifts(FrameModel& model, int lastIndex);

// Every point 2..lastPoint of every frame record 0..lastIndex takes point 1's shift (X, Y and the
// saved shift), as if all points had moved with the first.
void resetPointShifts(FrameModel& model, int lastPoint, int lastIndex);

}  // namespace kestrave
