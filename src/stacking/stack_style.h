#pragma once
// The style of a stack: plain, resampled or drizzled ("Style" on the Stack page). Resampling
// enlarges 8-bit frames only; the kinds of input that carry more bits per sample are refused.

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "platform/message_port.h"
#include "stacking/stack_style_values.h"

namespace kestrave {

// FITS, TIFF, 16-bit PNG and SER input, and AVI input whose frames are read as 16-bit samples
// (`aviSamples`, what reading a frame of it gave), cannot be resampled.
bool resamplingRefused(const FrameModel& model, FrameSamples aviSamples);

// The style chosen by the user. Resampling where it is refused shows the "Resampling warning"
// and falls back to no style.
StackStyleChoice chooseStackStyle(StackStyle wanted, bool refused, MessagePort& messages);

}  // namespace kestrave
