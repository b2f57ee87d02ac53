#pragma once
// The style of a stack: plain, resampled or drizzled ("Style" on the Stack page). Resampling
// enlarges 8-bit frames only; the kinds of input that carry more bits per sample are refused.

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "platform/message_port.h"

namespace kestrave {

enum class StackStyle : int { None = 0, Resampling = 1, Drizzling = 2 };

// FITS, TIFF, 16-bit PNG and SER input, and AVI input whose frames are read as 16-bit samples
// (`aviSamples`, what reading a frame of it gave), cannot be resampled.
bool resamplingRefused(const FrameModel& model, FrameSamples aviSamples);

// The stack options a style sets.
struct StackStyleChoice {
    StackStyle style = StackStyle::None;  // the style in force
    bool Resampled = false;
    bool Drizzling = false;
    bool FastStack = true;  // the precomputed nearest-point map works on frame-sized stacks only
};

// The style chosen by the user. Resampling where it is refused shows the "Resampling warning"
// and falls back to no style.
StackStyleChoice chooseStackStyle(StackStyle wanted, bool refused, MessagePort& messages);

}  // namespace kestrave
