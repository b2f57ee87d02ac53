#pragma once
// Which frames a stack takes: the stack list drawn from the quality ranking, the per-point pass
// test and mean shifts of multi-point mode, the shift range of the expanded canvas, and the map
// of the nearest alignment points of every stack pixel.

#include <array>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "platform/bitmap24.h"
#include "stacking/stack_options.h"

namespace kestrave {

// The frame at rank j: FrameRanking[j].Frame once the frames are ranked, else j itself.
int frameAtRank(const FrameModel& model, int rank);

struct StackChoice {
    float largestDifference = 0.0f;  // over the ranks 0..StackSlider.Tag (doubled when it is 1)
    double differenceLimit = 0.0;    // frames above it are left out
    int counted = 0;                 // frames that pass among the ranks 0..StackSlider.Value
    int listTag = 0;                 // last rank of the list: StackSlider.Value, or Tag in multi-point mode
    std::vector<int> list;           // frames that pass among the ranks 0..listTag, ascending
};

// A frame passes when it is not Excluded and its slot-0 Difference is at most
// differencecutslider thousandths of the largest difference.
StackChoice chooseStackFrames(const FrameModel& model, const StackOptions& options, bool multiPoint);

// The per-point pass test over the ranks 0..tag: a frame passes point p when its quality (with
// MultiQuantity) and its difference meet p's cut-offs. The mean shifts are in pixels of the frame
// enlarged by shiftScale (the stack's unit).
struct PointPass {
    // Mean of slot p's shift relative to slot 1 over the passing frames, entry p - 1, less the
    // mean of the entries of the points 2..N; all 0 unless the means are wanted.
    std::array<float, AlignSlotCount> PointMeanShiftX{};
    std::array<float, AlignSlotCount> PointMeanShiftY{};
    int flaggedCount = 0;  // ranks that pass at least one point
    std::vector<std::string> memoLines;
};
PointPass pointPass(const FrameModel& model, const StackPointSet& points, int tag, bool meanShift,
                    double shiftScale);

// The points (1..Alignpoints, in order) whose zone no frame of `frames` fills: in every one of them
// the point is out of use, its grade below its cut (with MultiQuantity) or its difference above
// its cut or never measured. Their zones would stay empty in the stack.
std::vector<int> pointsWithoutFrames(const FrameModel& model, const StackPointSet& points,
                                     const std::vector<int>& frames);

// Slot-0 shift range of the ranks 0..tag that are not Excluded (minimum from 4000, maximum
// from 0), in pixels of the frame enlarged by shiftScale (the stack's unit).
struct ShiftRange {
    int minX = 4000;
    int minY = 4000;
    int maxX = 0;
    int maxY = 0;
};
ShiftRange listedShiftRange(const FrameModel& model, int tag, double shiftScale);

// MultiStackimage: for every stack pixel the nearest enabled point in the red byte, the second
// in green and the third in blue (0 where fewer points are enabled). Point p sits at
// PointPos[p] + (maxShiftX, maxShiftY); of equal distances the later point wins.
Bitmap24 nearestPointMap(const StackPointSet& points, int width, int height, int maxShiftX, int maxShiftY);

}  // namespace kestrave
