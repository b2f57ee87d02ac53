#pragma once
// The wavelet page's options that composing and decomposing the working image read, as the
// window reads them from its controls before each operation.

#include "enhance/wavelet_filter.h"

namespace kestrave {

struct WaveletProcessOptions {
    // Channels: red, green and blue of a colour stack, else green (the single channel) alone;
    // with LRGB the green plane carries the luminance and is the only one processed.
    bool Colourstack = false;
    bool LRGB2 = false;
    // LRGB: take the luminance from the separate luminance plane instead of the R+G+B mix.
    bool Lumichannel = false;

    WaveletStepOptions steps;
    TConvolveMethod Convolvemethod = TConvolveMethod::Default;

    // Resampling of the stack, which sets the working image's size.
    bool Resampled = false;
    bool Drizzle2 = false;
    float ResampleFactor = 2.0f;

    // Whether channel c (0 red, 1 green, 2 blue) is composed and decomposed.
    bool processesChannel(int c) const { return c == 1 || (Colourstack && !LRGB2); }
};

}  // namespace kestrave
