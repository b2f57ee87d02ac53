#pragma once
// Browsing the frames of the input and choosing which take part. The frame slider shows frame
// p at position p until the alignment pass has ranked the frames, and the p-th best frame
// afterwards; entry j of either frame list stands for the frame at position j. A frame takes
// part unless it is Excluded; a dropped frame is always excluded.

#include <cstdint>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_positions.h"
#include "frames/frame_source.h"
#include "frames/image_data_section.h"
#include "frames/input_selection.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"

namespace kestrave {

// Selects or excludes the frame; a dropped frame stays excluded. Returns whether the frame is
// selected afterwards.
bool setFrameSelected(FrameModel& model, int frame, bool selected);
// Every frame of positions 0..lastIndex selected (dropped ones stay excluded) or excluded.
void selectAllFrames(FrameModel& model, int lastIndex);
void excludeAllFrames(FrameModel& model, int lastIndex);

// "Sort" of the frame list of a still-frame series: frames 0..count-1 put in the order of their
// full paths, letters compared without regard to case (a stable sort, so names that differ only
// in case keep their order). Each frame's record goes with its file and the ranking follows the
// frames to their new numbers; afterwards the frames are unranked and every one is selected
// (usedframes counts them).
// Returns the list entries in the new order: each path's file name without its folder.
std::vector<std::string> sortFrameList(FrameModel& model, int count);

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
