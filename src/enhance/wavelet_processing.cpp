#include "enhance/wavelet_processing.h"

#include <algorithm>
#include <string>

#include "enhance/channel_composition.h"
#include "enhance/clamped_round.h"
#include "enhance/wavelet_decomposition.h"

namespace kestrave {

namespace {

int resampledSide(int frameSide, const WaveletProcessOptions& options) {
    const double side =
        options.Drizzle2 ? 2.0 * frameSide : static_cast<double>(frameSide) * options.ResampleFactor;
    return std::min(clampedRound(side, 0, MaxFrameSize + 1) - 1, MaxFrameSize);
}

}  // namespace

ImageSize resampledImageSize(int FrameWidth, int FrameHeight, const WaveletProcessOptions& options) {
    return {resampledSide(FrameWidth, options), resampledSide(FrameHeight, options)};
}

void beginWaveletProcessing(FrameModel& model, const WaveletProcessOptions& options) {
    if (options.Resampled) {
        const ImageSize size = resampledImageSize(model.FrameWidth, model.FrameHeight, options);
        model.ImageWidth = size.width;
        model.ImageHeight = size.height;
    }
}

bool decomposeWhenDirty(ImageDataSection& section, int ImageWidth, int ImageHeight, ProgramState& state,
                        const WaveletFilter& filter, const WaveletProcessOptions& options,
                        ProgressPort& progress) {
    const bool dirty = state.LayersDirty;
    if (dirty) {
        ApplyRGBShift(section, ImageWidth, ImageHeight, state, options);
        for (int n = 1; n <= WaveletLayerCount; ++n) {
            progress.setStatus(2, "Calculating Layer " + std::to_string(n));
            ComputeWaveletLayer(section, ImageWidth, ImageHeight, filter, options, n);
        }
        state.LayersDirty = false;
    }
    progress.setStatus(2, "Calculating wavelets done");
    return dirty;
}

}  // namespace kestrave
