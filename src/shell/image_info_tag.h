#pragma once
// The processing-info tag: a short text that names the object, the date and, as the image-info
// window asks, the stack size, the wavelet scheme, the layer weights, contrast and brightness,
// and gamma. It is shown in that window and can be the name the save dialogs propose, so a
// saved picture carries how it was made.

#include <string>

#include "enhance/scheme_types.h"

namespace kestrave {

struct ImageInfoTagOptions {
    std::string Objectname;
    std::string Datetime;
    bool Showstacksize = false;
    int StackSlider = 0;  // the number of frames stacked
    bool ShowWaveletscheme = false;
    bool Showwaveletvalues = false;
    WaveletScheme scheme;
    bool Showcontrastbrightness = false;
    int ContrastSlider = 250;
    int BrightnessSlider = 0;
    bool Showgamma = false;
    double Gamma = 1.0;
};

// Object "_" date, then as shown: "_ST" stack size; "_WSD" (dyadic) or "_WSL" step "_`"
// increment (linear), "G" with the Gaussian filter; "_WV" and the six slider values joined by
// "_", "X" for a layer that is off; "_CB" Round(contrast factor × 100) "_" Round(brightness);
// "_GA" Round(gamma × 100). For example Jup_0412_ST150_WSD_WV10_10_10_X_10_10_CB100_0.
std::string processingInfoTag(const ImageInfoTagOptions& options);

}  // namespace kestrave
