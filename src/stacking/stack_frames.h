#pragma once
// The stacking run: chooses the frames, sizes the stack canvas, reads every listed frame through
// the frame source and adds it (StackFrame), then divides the sums by their weights, fixes the
// value range and renders the stack image and the 16-bit result image with the statistics that
// the wavelet page reads.
//
// The run publishes only when it completes: the image data section, the frame model's image
// size and the program state (progstatus, activepage and LayersDirty) change at the end of a
// completed run, never after a cancel, a declined question or a failure, so a cancelled run
// leaves the previous stack as it was.

#include <array>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "stacking/stack_options.h"
#include "stacking/stack_render.h"

namespace kestrave {

enum class StackOutcome {
    Stacked,    // the stack is in the section and the result
    NoFrames,   // no frame passed the sliders; "No frames to stack, please change slider(s)"
    Declined,   // the one-frame question was not answered Yes
    Cancelled,  // the cancel request ended the frame loop
    Failed,     // the planes could not be allocated (reported)
};

struct StackResult {
    StackOutcome outcome = StackOutcome::Failed;

    // Frame choice.
    std::vector<int> stackList;  // frames taken, ascending by frame number
    int StackListCount = 0;      // frames counted (the flagged count in multi-point mode)
    int StackRangeCount = 0;     // StackSlider.Value + 1
    int StackSliderTag = 0;      // the rank bound for StackSlider.Tag after the run

    // Canvas.
    int ImageWidth = 0;
    int ImageHeight = 0;
    int StackWidth = 0;  // expanded canvas
    int StackHeight = 0;
    int StackMinShiftX = 0;
    int StackMinShiftY = 0;
    int StackMaxShiftX = 0;
    int StackMaxShiftY = 0;
    int StackOffsetX = 0;
    int StackOffsetY = 0;
    double displayFactor = 1.0;  // stack pixels per frame pixel, for the scroll positions
    std::string sizeSuffix;      // " Resample 2" after the size in the status texts

    // Multi-point mode.
    std::array<float, AlignSlotCount> PointMeanShiftX{};
    std::array<float, AlignSlotCount> PointMeanShiftY{};
    std::array<int, AlignSlotCount> PointStackDepth{};  // when the points are placed
    std::vector<std::string> memoLines;                 // one "point p counter :…" line per point
    Bitmap24 MultiStackimage;                           // nearest points (FastStack only)

    std::array<int, 4> ChannelFrameCount{};

    // Rendering.
    float StackMinValue = 0.0f;
    float StackMaxValue = 0.0f;
    StackStatistics statistics;
    Bitmap24 Stackimage;

    // For the window.
    bool SigmaFinalPass = false;   // after the run (a completed pass toggles it)
    bool darkSwitchedOff = false;  // the dark frame's size did not match: uncheck Usedarkframe
    bool flatSwitchedOff = false;
    bool rawDarkSwitchedOff = false;  // the same for the raw dark: uncheck Rawdark
    bool luminanceStacked = false;  // FITS luminance frames were stacked: check Lumichannel
};

// Runs one stack. Reader errors pass through as exceptions (nothing is published then).
StackResult stackFrames(FrameModel& model, ProgramState& state, ImageDataSection& section,
                        const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                        MessagePort& messages);

}  // namespace kestrave
