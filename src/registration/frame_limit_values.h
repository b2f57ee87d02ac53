#pragma once
// The frame limit's controls, its result and the points' limits, and the counts the limit's
// controls follow.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "frames/frame_model.h"

namespace kestrave {

// One value in every alignment slot.
constexpr std::array<int, AlignSlotCount> filledSlots(int value) {
    std::array<int, AlignSlotCount> filled{};
    filled.fill(value);
    return filled;
}

// Per alignment point p (1..Alignpoints): the quality cut that keeps the point's best frames, its
// value when the limit set it, the largest difference of the point, and the frames it keeps; and
// where the point's stack-graph sliders (QUALSliderMalign, DifSliderMalign) stood for it.
struct PointLimits {
    std::array<float, AlignSlotCount> PointQualityCut{};
    std::array<float, AlignSlotCount> PointQualityCutInit{};
    std::array<float, AlignSlotCount> PointDifferenceCut{};
    std::array<int, AlignSlotCount> PointLimitCount{};
    // Until a point's graph moves them, its sliders stand where the sliders start: at their ends.
    std::array<int, AlignSlotCount> PointQualitySlider = filledSlots(1000);
    std::array<int, AlignSlotCount> PointDifferenceSlider = filledSlots(1001);
    // A point a cancelled optimizer run did not reach, whose frames were never measured on its
    // own box, carries the differences of point 1, whose shifts it holds, so that its zone keeps
    // its frames; its next optimizer run starts afresh as it would have.
    std::array<bool, AlignSlotCount> PointDifferenceBorrowed{};
};

// The controls the limit reads.
struct FrameLimitInput {
    int PreviewSliderValue = 0;  // the ranking position the preview shows
    int PreviewSliderMax = 0;    // the last ranking position
    int AlignMethodIndex = 0;    // AlignMethodSingle, "Default(single)"
    bool MultiQuantity = false;  // MultiAlign on "Multi-Quantity"
    int Alignpoints = 0;
    double OptimizeQualitySpin = 80.0;
    double Refframes = 50.0;
    // The check states of SelectFramesChecklist by ranking position (missing entries: unchecked).
    std::vector<bool> checked;
};

struct FrameLimitResult {
    int LimitCount = 0;  // the last ranking position kept
    // The new OptimizeQualitySpin value (the limit in percent) when it moved by more than 5.
    std::optional<double> OptimizeQualitySpin;
    // SelectFramesChecklist after the per-point limit changed it (by ranking position).
    std::optional<std::vector<bool>> checked;
    // StackFramesList: items 0..LimitCount of SelectFramesChecklist with these check states.
    std::vector<bool> stackFramesChecked;
    // The optimizer chart: Series3 the keys and Series4 the slot-0 differences of positions
    // 0..LimitCount; the frame axis ends at the point count.
    std::vector<double> qualities;
    std::vector<double> differences;
    double frameIncrement = 1.0;
    // The new frame limit, the last ranking position the frame sliders reach and the stack count
    // afterwards: LimitCount.
    int sliderMaximum = 0;
    std::optional<double> Refframes;  // the reference-frame count, at most LimitCount div 2
    bool ToStackPage = false;         // with "None" the tab goes on to the stacking page
    std::string statusText;           // panel 2: "Processing limited to n frames"
};

// The number of frames "Limit" keeps with the preview slider at `position`: ranks 0 .. position,
// at least two.
int framesKeptByLimit(int position);

// RefframesChange: the reference-frame count never exceeds the last ranked position the frame limit
// keeps; returns the value to write when it must change.
std::optional<double> RefframesChange(double Refframes, int rankLimit);

}  // namespace kestrave
