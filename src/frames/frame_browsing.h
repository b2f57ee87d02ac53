#pragma once
// Browsing the frames of the input and choosing which take part. The frame slider shows frame
// p at position p until the alignment pass has ranked the frames, and the p-th best frame
// afterwards; entry j of either frame list stands for the frame at position j. A frame takes
// part unless it is Excluded; a dropped frame is always excluded.

#include <cstdint>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/image_data_section.h"
#include "frames/input_selection.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"

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

// Selects or excludes the frame; a dropped frame stays excluded. Returns whether the frame is
// selected afterwards.
bool setFrameSelected(FrameModel& model, int frame, bool selected);
// Every frame of positions 0..lastIndex selected (dropped ones stay excluded) or excluded.
void selectAllFrames(FrameModel& model, int lastIndex);
void excludeAllFrames(FrameModel& model, int lastIndex);

// Left edge of the graph pointer over a chart of `chartWidth` pixels:
// Round(position / maxValue × (chartWidth − 4)); at the chart's left edge when the input has
// one frame.
// "Sort" of the frame list of a still-frame series: frames 0..count-1 put in the order of their
// full paths, letters compared without regard to case (a stable sort, so names that differ only
// in case keep their order). Each frame's record goes with its file and the ranking follows the
// frames to their new numbers; afterwards the frames are unranked and every one is selected
// (usedframes counts them).
// Returns the list entries in the new order: each path's file name without its folder.
std::vector<std::string> sortFrameList(FrameModel& model, int count);

int graphPointerLeft(int position, int maxValue, int chartWidth);
// Quality of the frame at `position` relative to the best one, percent: Key[p] / (0.01 + Key[0]) × 100.
double relativeQuality(const FrameModel& model, int position);

// What reading the shown frame found.
struct ShownFrame {
    FrameSamples samples = FrameSamples::Bitmap;
    // A FITS luminance frame: LumFrameLoaded is set, the window offers the luminance channel.
    bool luminance = false;
};

// Reads frame `frame` of the current input through the browser's frame source into the shown
// picture (PreviewBitmap) and, as its samples need, RawFramePlane or HighBitFrame. A failed read
// throws and leaves the frame shown before.
ShownFrame readShownFrame(InputState& input, ImageDataSection& section, const FrameModel& model, int frame);

// The colour negative of the picture: every byte v becomes 255 − v.
void invertBitmap(Bitmap24& picture);

}  // namespace kestrave
