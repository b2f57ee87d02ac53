#pragma once
// The core of the wavelet page's "Process": compose the working image and split it into the six
// layers when they are out of date, then (in the window) render. The window's handler reads the
// options, calls beginWaveletProcessing, lays out the processed picture for the image size,
// calls decomposeWhenDirty and renders.

#include "enhance/wavelet_filter.h"
#include "enhance/wavelet_options.h"
#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/progress_port.h"

namespace kestrave {

struct ImageSize {
    int width = 0;
    int height = 0;
};

// The working image size of a resampled stack: Round(FrameWidth × ResampleFactor) - 1 (with
// drizzling 2 × FrameWidth - 1), height alike, each at most MaxFrameSize.
ImageSize resampledImageSize(int FrameWidth, int FrameHeight, const WaveletProcessOptions& options);

// The processing starts: when Resampled is set, ImageWidth and ImageHeight are derived again from
// the frame size.
void beginWaveletProcessing(FrameModel& model, const WaveletProcessOptions& options);

// When LayersDirty: composes the working image (ApplyRGBShift) and computes layers 1..6, showing
// "Calculating Layer n" in status panel 2, then clears LayersDirty. Always ends with "Calculating
// wavelets done" in panel 2. Returns whether the layers were computed. Throws WaveletError when
// the planes do not fit the image (LayersDirty then stays set).
bool decomposeWhenDirty(ImageDataSection& section, int ImageWidth, int ImageHeight, ProgramState& state,
                        const WaveletFilter& filter, const WaveletProcessOptions& options,
                        ProgressPort& progress);

}  // namespace kestrave
