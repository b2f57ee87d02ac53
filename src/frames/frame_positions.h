#pragma once
// The frames by slider position: which frame a position shows, the sign beside the slider, the
// counts of the frames that take part, and where the graph pointer stands.

#include <cstdint>

#include "frames/frame_model.h"
#include "frames/program_state.h"

namespace kestrave {

// Colours (blue-green-red values) of the sign beside the frame slider.
inline constexpr std::uint32_t FrameSignSelected = 0x008000;  // green
inline constexpr std::uint32_t FrameSignExcluded = 0x0000FF;  // red
inline constexpr std::uint32_t FrameSignDropped = 0x808080;   // grey

// The frame shown at slider position (and list entry) `position`.
int frameAtPosition(const FrameModel& model, int position);

std::uint32_t frameSignColour(const TFrameRec& frame);

// Frames 0..lastIndex that are not Excluded.
int selectedFrameCount(const FrameModel& model, int lastIndex);
// Frames not Excluded among positions 0..position, or 0..1 at position 0: what "Limit" would
// keep with the slider there (the stack size while the reference is ready).
int stackSizeAt(const FrameModel& model, int position);
// usedframes after a change in the frame lists: while the reference is ready (stage 4) the
// frames kept among positions 0..position, at every other stage all frames not Excluded.
int recountUsedframes(const FrameModel& model, TProcessStage stage, int position, int lastIndex);

// Left edge of the graph pointer over a chart of `chartWidth` pixels:
// Round(position / maxValue × (chartWidth − 4)); at the chart's left edge when the input has
// one frame.
int graphPointerLeft(int position, int maxValue, int chartWidth);
// Quality of the frame at `position` relative to the best one, percent: Key[p] / (0.01 + Key[0]) × 100.
double relativeQuality(const FrameModel& model, int position);

}  // namespace kestrave
