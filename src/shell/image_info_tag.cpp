#include "shell/image_info_tag.h"

#include <cmath>

namespace kestrave {

namespace {

// Round half to even, as text. The values are control positions and small factors.
std::string rounded(double value) {
    return std::to_string(static_cast<long long>(std::nearbyint(value)));
}

}  // namespace

std::string processingInfoTag(const ImageInfoTagOptions& options) {
    std::string tag = options.Objectname + "_" + options.Datetime;
    if (options.Showstacksize) tag += "_ST" + std::to_string(options.StackSlider);
    const WaveletScheme& scheme = options.scheme;
    if (options.ShowWaveletscheme) {
        if (scheme.Waveletscheme == TWaveletScheme::Linear)
            tag += "_WSL" + rounded(scheme.LevelStep) + "_`" + rounded(scheme.Multiplicant);
        else
            tag += "_WSD";
        if (scheme.Convolvemethod == TConvolveMethod::Gaussian) tag += "G";
    }
    if (options.Showwaveletvalues) {
        tag += "_WV";
        for (std::size_t i = 0; i < WaveletLayerCount; ++i) {
            tag += scheme.layerChecked[i] ? std::to_string(scheme.layerSlider[i]) : "X";
            if (i + 1 < WaveletLayerCount) tag += "_";
        }
    }
    if (options.Showcontrastbrightness) {
        tag += "_CB" + rounded(options.ContrastSlider * 0.004 * 100.0) + "_" +
               rounded(options.BrightnessSlider * 0.25);
    }
    if (options.Showgamma) tag += "_GA" + rounded(options.Gamma * 100.0);
    return tag;
}

}  // namespace kestrave
